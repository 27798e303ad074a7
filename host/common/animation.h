#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class DrawingTarget;

// What the saver shows once its window has a GL context: the saver's universe,
// whose simulation thread draws into the window's drawing target. Built on the
// window thread once the context exists; destroyed there before the context
// is.
class Animation {
public:
    virtual ~Animation() = default;
    // Stops drawing for good: when it returns no thread uses the GL context any
    // more. False if the teardown itself reported an error. Idempotent.
    virtual bool shutdown() = 0;
    // True once drawing has stopped by itself because of an error.
    virtual bool failed() const = 0;
    // Once failed(): what failed, in a few words for the exit message; may be
    // empty when the animation cannot tell.
    virtual std::string failureMessage() const { return {}; }
    // True once the animation could not make the context current: it runs on
    // without drawing, which the host reports as a GL set-up that failed.
    virtual bool cannotDraw() const { return false; }
    // Frames drawn so far (a tick whose frame nobody wanted draws none).
    virtual std::int64_t frames() const = 0;
    // Ticks run so far; as many as frames unless some frames were not wanted.
    virtual std::int64_t ticks() const { return frames(); }
};

// Builds the animation drawing into the target, which outlives it; may throw
// (the host then reports the error).
using AnimationFactory = std::function<std::unique_ptr<Animation>(DrawingTarget&)>;
