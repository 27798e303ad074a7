#pragma once

#include <string>
#include <sys/types.h>

// An Xvfb of the test's own (one 640x480 screen, no TCP, no reset when the
// last client leaves), on a display number it picks itself (-displayfd), so
// tests running beside it never race for one. Killed on destruction.
class PrivateXvfb {
public:
    static bool installed();
    PrivateXvfb();
    ~PrivateXvfb();
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;

    // ":N", or "" if it did not start.
    const std::string& display() const { return display_; }
    // SIGKILL, as a crash would end it.
    void kill();

private:
    pid_t pid_ = -1;
    std::string display_;
};
