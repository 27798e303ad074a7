// The X11 host with a stand-in animation, so the host's own failure paths can
// be driven: `x11_fake_saver BEHAVIOUR [host options...]` where BEHAVIOUR is
//   fail-after-N  draw N frames, then stop as a failed simulation does
//   throw         the animation's construction throws
//   bad-teardown  draw, and report an error when shut down
#include "host/x11/animation.h"
#include "host/x11/command_line.h"
#include "host/x11/x11_host.h"
#include "render/drawing_target.h"

#include <GL/gl.h>
#include <X11/Xlib.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace {

class ClearingAnimation final : public Animation {
public:
    ClearingAnimation(long failAfter, bool badTeardown)
        : failAfter_(failAfter), badTeardown_(badTeardown), thread_([this] { run(); }) {}
    ~ClearingAnimation() override { shutdown(); }

    bool shutdown() override {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return !badTeardown_;
    }
    bool failed() const override { return failed_; }
    std::string failureMessage() const override { return "the fake animation gave up"; }
    std::int64_t frames() const override { return frames_; }

private:
    void run() {
        DrawingTarget* target = drawingTarget();
        failed_ = !target || !target->makeCurrent();
        while (!stop_ && !failed_) {
            glViewport(0, 0, target->width(), target->height());
            glClearColor(0.2f, 0.5f, 0.8f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            target->present();
            failed_ = ++frames_ == failAfter_;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        if (target)
            target->releaseCurrent();
    }

    long failAfter_;
    bool badTeardown_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    std::atomic<std::int64_t> frames_{0};
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    SignalPipe signals({SIGTERM, SIGINT, SIGHUP});
    std::string behaviour = argc > 1 ? argv[1] : "";
    ParsedCommandLine parsed = parseHostCommandLine({argv + (argc > 1 ? 2 : 1), argv + argc});
    if (!parsed.options)
        return HostExit::usage;
    long failAfter = behaviour.starts_with("fail-after-") ? std::stol(behaviour.substr(11)) : -1;
    XInitThreads();
    try {
        return runX11Host(
            *parsed.options,
            [&]() -> std::unique_ptr<Animation> {
                if (behaviour == "throw")
                    throw std::runtime_error("cannot build");
                return std::make_unique<ClearingAnimation>(failAfter, behaviour == "bad-teardown");
            },
            signals);
    } catch (...) {
        return HostExit::noGlMode;
    }
}
