#pragma once
// Driving an idle source as the watcher does, for the sources' tests; with the
// server checks of tests/host/server_required.h.

#include "host/idle/idle_source.h"
#include "tests/host/server_required.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>

// A fresh folder under /tmp, removed with everything in it on destruction.
struct ScratchDir {
    std::string path;
    ScratchDir() {
        char pattern[] = "/tmp/veltrane-idle-test-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
};

struct DriveResult {
    bool reached = false; // the condition held
    bool lost = false;    // dispatch() said the server is gone
    int wakeUps = 0;      // dispatch() calls
    std::chrono::milliseconds elapsed{0};
    std::chrono::milliseconds longestSleep{-1}; // the largest wakeAfter() seen
};

// Polls fd() for at most wakeAfter() and dispatches, as the watcher does,
// until `done(source)` holds, dispatch() fails or `milliseconds` pass.
template <typename Done> DriveResult drive(IdleSource& source, int milliseconds, Done done) {
    using Clock = std::chrono::steady_clock;
    DriveResult result;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::milliseconds(milliseconds);
    while (!(result.reached = done(source)) && Clock::now() < deadline) {
        const auto sleep = source.wakeAfter();
        result.longestSleep = std::max(result.longestSleep, sleep);
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        auto wait = sleep.count() < 0 ? left : std::min(sleep, left);
        pollfd readable = {source.fd(), POLLIN, 0};
        poll(&readable, 1, static_cast<int>(std::max<long>(wait.count(), 0)));
        ++result.wakeUps;
        if (!source.dispatch()) {
            result.lost = true;
            break;
        }
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return result;
}

// Milliseconds since `start`, for messages a reader can follow.
inline std::chrono::milliseconds since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

inline auto isIdle = [](const IdleSource& source) { return source.state() == IdleState::Idle; };
inline auto isActive = [](const IdleSource& source) { return source.state() == IdleState::Active; };
inline auto never = [](const IdleSource&) { return false; };
