// How long the Loader's frame takes at window and full-HD sizes on the machine's GL
// (Mesa's llvmpipe when headless), with the number of strokes the saver has after 30 s.
// Beside it, a bare loop making only the evaluator calls for the same strokes shows
// what the frame adds; and the full tick (simulation + frame) is timed during the run
// that grows the tracery.
#include "host/headless/egl_target.h"
#include "kernel/universe.h"
#include "render/drawing_target.h"
#include "render/loader.h"
#include "render/saver_model.h"
#include "render/stroke_net.h"
#include "render/stroke_pass.h"
#include "tracery/clock.h"
#include "tracery/segment.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

constexpr std::int64_t growTicks = 900; // 30 s of saver time: the steady state

double percentile(std::vector<double> values, double q) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto k = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
    return values[k];
}

// A grown universe with its context current on the benchmark thread.
class Scenario {
public:
    Scenario(int width, int height) : width_(width), height_(height), clock_(12, 34, 7) {
        std::string error;
        target_ = EglTarget::create(width, height, error);
        if (!target_) {
            std::fprintf(stderr, "bench_render: %s\n", error.c_str());
            return;
        }
        Clock::time_point last{};
        target_->setFrameHandler([&, this](EglTarget& t, std::int64_t frame) {
            glFinish(); // a real present waits for the frame too
            const Clock::time_point now = Clock::now();
            // The second half of the run: the tracery is at its steady size.
            if (frame > growTicks / 2)
                tickMs_.push_back(std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            if (frame == growTicks)
                t.releaseCurrent();
        });
        setCurrentClock(&clock_);
        setDrawingTarget(target_.get());
        NS_Universe::RunOptions run;
        run.pacing = NS_TimeService::Pacing::Virtual;
        run.tickLimit = growTicks;
        universe_ = std::make_unique<NS_Universe::Universe>(saverModel(), run);
        while (!universe_->waitUntilEnded(1000)) {
        }
        if (universe_->simulationFailed()) {
            std::fprintf(stderr, "bench_render: the simulation failed\n");
            universe_.reset();
            return;
        }
        loader_ = dynamic_cast<Loader*>(universe_->findHandler(L"Loader"));
        target_->setFrameHandler([](EglTarget&, std::int64_t) { glFinish(); });
        target_->makeCurrent();

        NS_AttributeHandler::AttributeHandler* segments = universe_->findHandler(L"Segment");
        for (const NS_ObjectIndex::ObjectIndex& stroke : loader_->strokeSet()) {
            if (universe_->findObject(stroke) == nullptr)
                continue;
            StrokeNet net;
            if (net.fill(*dynamic_cast<Segment_value*>(segments->getValue(stroke))))
                nets_.push_back(net);
        }
    }

    ~Scenario() {
        if (target_)
            target_->releaseCurrent();
        universe_.reset();
        setDrawingTarget(nullptr);
        setCurrentClock(nullptr);
    }

    bool ready() const { return loader_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    Loader& loader() { return *loader_; }
    // The Loader's stroke pass over the Loader's strokes, on its own.
    void drawStrokePass() { strokePass_.draw(loader_->strokeSet(), *universe_); }
    const std::vector<StrokeNet>& nets() const { return nets_; }
    const std::vector<double>& tickMs() const { return tickMs_; }

private:
    int width_;
    int height_;
    FixedClock clock_;
    std::unique_ptr<EglTarget> target_;
    std::unique_ptr<NS_Universe::Universe> universe_;
    Loader* loader_ = nullptr;
    StrokePass strokePass_;
    std::vector<StrokeNet> nets_;
    std::vector<double> tickMs_;
};

// One scenario at a time: EGL hands every target the same display.
std::unique_ptr<Scenario> current;

Scenario* scenarioFor(int width, int height) {
    if (!current || current->width() != width || current->height() != height) {
        current.reset();
        current = std::make_unique<Scenario>(width, height);
    }
    return current->ready() ? current.get() : nullptr;
}

// CPU seconds of the whole process (the renderer's threads included): steadier than
// wall time when other work shares the machine.
double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Only the evaluator calls the frame must make for the same strokes, plus the clear and
// the wait for the renderer that any frame has: what no implementation can avoid.
void bareEvaluators(const std::vector<StrokeNet>& nets) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_MAP2_VERTEX_3);
    glMapGrid2d(5, 0.0, 1.0, 5, 0.0, 1.0);
    for (const StrokeNet& net : nets) {
        glMap2d(GL_MAP2_VERTEX_3, 0.0, 1.0, 3, 3, 0.0, 1.0, 9, 3, net.points);
        glEvalMesh2(GL_FILL, 0, 5, 0, 5);
    }
    glDisable(GL_LIGHTING);
    glFinish();
}

// The Loader's whole frame and the bare loop, alternating so that both see the same
// load on a shared machine. The reported time is the frame's.
void frameBesideBareLoop(benchmark::State& state, int width, int height) {
    Scenario* s = scenarioFor(width, height);
    if (s == nullptr) {
        state.SkipWithError("no GL context or grown universe");
        return;
    }
    NS_Events::Event render;
    render.code = NS_Events::Render;
    render.receiver = L"Loader";
    std::vector<double> frameMs;
    std::vector<double> bareMs;
    std::vector<double> frameCpuMs;
    std::vector<double> bareCpuMs;
    std::vector<double> strokePassMs;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        double cpu = processCpuSeconds();
        s->loader().handleEvent(render); // ends with present(), which waits for the renderer
        const double frame = secondsSince(start);
        frameCpuMs.push_back((processCpuSeconds() - cpu) * 1000.0);
        start = Clock::now();
        cpu = processCpuSeconds();
        bareEvaluators(s->nets());
        bareMs.push_back(secondsSince(start) * 1000.0);
        bareCpuMs.push_back((processCpuSeconds() - cpu) * 1000.0);
        // The frame's stroke pass alone, framed like the bare loop (clear ... finish).
        start = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        s->drawStrokePass();
        glFinish();
        strokePassMs.push_back(secondsSince(start) * 1000.0);
        frameMs.push_back(frame * 1000.0);
        state.SetIterationTime(frame);
    }
    const double frameMedian = percentile(frameMs, 0.5);
    const double bareMedian = percentile(bareMs, 0.5);
    state.counters["frame_median_ms"] = frameMedian;
    state.counters["frame_p95_ms"] = percentile(frameMs, 0.95);
    state.counters["bare_median_ms"] = bareMedian;
    state.counters["bare_p95_ms"] = percentile(bareMs, 0.95);
    state.counters["frame_over_bare"] = bareMedian > 0 ? frameMedian / bareMedian : 0.0;
    const double frameCpu = percentile(frameCpuMs, 0.5);
    const double bareCpu = percentile(bareCpuMs, 0.5);
    state.counters["frame_cpu_median_ms"] = frameCpu;
    state.counters["bare_cpu_median_ms"] = bareCpu;
    state.counters["cpu_frame_over_bare"] = bareCpu > 0 ? frameCpu / bareCpu : 0.0;
    state.counters["stroke_pass_median_ms"] = percentile(strokePassMs, 0.5);
    state.counters["stroke_pass_over_bare"] =
        bareMedian > 0 ? percentile(strokePassMs, 0.5) / bareMedian : 0.0;
    state.counters["strokes"] = static_cast<double>(s->loader().strokeSet().size());
    state.counters["particles"] = static_cast<double>(s->loader().glowParticles().size());
    state.counters["tick_median_ms"] = percentile(s->tickMs(), 0.5);
    state.counters["tick_p95_ms"] = percentile(s->tickMs(), 0.95);
}
} // namespace

int main(int argc, char** argv) {
    const std::array<std::array<int, 2>, 2> sizes = {{{1024, 768}, {1920, 1080}}};
    for (const auto& size : sizes) {
        const int w = size[0];
        const int h = size[1];
        const std::string tag = std::to_string(w) + "x" + std::to_string(h);
        benchmark::RegisterBenchmark(
            ("FrameBesideBareLoop/" + tag).c_str(),
            [w, h](benchmark::State& st) { frameBesideBareLoop(st, w, h); })
            ->UseManualTime()
            ->Iterations(150)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    current.reset();
    return 0;
}
