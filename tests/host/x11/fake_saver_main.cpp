// The X11 host with a stand-in animation, so the host's own failure paths can
// be driven: `x11_fake_saver BEHAVIOUR [host options...]` where BEHAVIOUR is
//   fail-after-N  draw N frames, then stop as a failed simulation does
//   throw         the animation's construction throws
//   bad-teardown  draw, and report an error when shut down
//   cannot-draw   run without binding the context, as when it cannot be bound
#include "host/app/command_line.h"
#include "host/common/animation.h"
#include "host/x11/x11_saver.h"
#include "render/drawing_target.h"

#include <GL/gl.h>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

class ClearingAnimation final : public Animation {
public:
    ClearingAnimation(DrawingTarget& target, long failAfter, bool badTeardown, bool cannotDraw)
        : target_(target), failAfter_(failAfter), badTeardown_(badTeardown),
          cannotDraw_(cannotDraw), thread_([this] { run(); }) {}
    ~ClearingAnimation() override { shutdown(); }

    bool shutdown() override {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return !badTeardown_;
    }
    bool failed() const override { return failed_; }
    std::string failureMessage() const override { return "the fake animation gave up"; }
    bool cannotDraw() const override { return cannotDraw_; }
    std::int64_t frames() const override { return frames_; }

private:
    void run() {
        if (cannotDraw_)
            return;
        failed_ = !target_.makeCurrent();
        while (!stop_ && !failed_) {
            glViewport(0, 0, target_.width(), target_.height());
            glClearColor(0.2f, 0.5f, 0.8f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            target_.present();
            failed_ = ++frames_ == failAfter_;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        target_.releaseCurrent();
    }

    DrawingTarget& target_;
    long failAfter_;
    bool badTeardown_;
    bool cannotDraw_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    std::atomic<std::int64_t> frames_{0};
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    const std::string behaviour = argc > 1 ? argv[1] : "";
    const ParsedCommandLine parsed = parseCommandLine({argv + (argc > 1 ? 2 : 1), argv + argc});
    if (!parsed.options || parsed.options->mode != ProgramMode::Saver)
        return exitCode(ExitStatus::Usage);
    const long failAfter =
        behaviour.starts_with("fail-after-") ? std::stol(behaviour.substr(11)) : -1;
    // Through the program's own guard, so an animation that throws ends the
    // run as the real saver's would.
    return exitCode(runX11Saver(parsed.options->saver, parsed.options->x11,
                                [&](DrawingTarget& target) -> std::unique_ptr<Animation> {
                                    if (behaviour == "throw")
                                        throw std::runtime_error("cannot build");
                                    return std::make_unique<ClearingAnimation>(
                                        target, failAfter, behaviour == "bad-teardown",
                                        behaviour == "cannot-draw");
                                }));
}
