#pragma once

#include "kernel/platform_exception.h"

#include <memory>

namespace NS_Platform {

// A thread started at construction with default stack size.
class Thread {
public:
    using Routine = void (*)(void* argument);

    // Throws NS_Platform::Exception if the thread cannot be created.
    Thread(Routine routine, void* argument);
    // Waits for the routine to return, then releases the OS thread.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False once the routine has returned.
    bool isRunning() const;
    // True if the routine returned within the timeout.
    bool waitFor(int milliseconds);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace NS_Platform
