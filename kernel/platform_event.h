#pragma once

#include "kernel/platform_exception.h"

#include <memory>

namespace NS_Platform {

// An unnamed auto-reset event, created unsignalled. A successful wait or test
// consumes the signal. Safe to use from any thread.
class Event {
public:
    // Throws NS_Platform::Exception if the OS object cannot be created.
    Event();
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    // Without waiting: true (and consumed) if signalled.
    bool test();
    // Waits without limit.
    void wait();
    // True if signalled within the timeout (and consumed).
    bool waitFor(int milliseconds);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace NS_Platform
