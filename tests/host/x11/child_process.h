#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

// A program started by a test in a process group of its own. Destruction kills
// the whole group (the XScreenSaver daemon's helpers and hacks included) and
// reaps the leader, so a failing test leaves nothing running.
class ChildProcess {
public:
    // `environment` entries ("NAME=value") are added to the test's own.
    ChildProcess(const std::vector<std::string>& argv,
                 const std::vector<std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // The exit status (128 + signal if killed by one) once the process ended
    // within the timeout, else nothing.
    std::optional<int> waitExit(int milliseconds);
    bool running();
    void signal(int number);
    // Everything the process wrote to stderr so far.
    std::string errorOutput() const;

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string errorFile_;
};

// Runs a command through the shell and waits for it; returns its exit status.
int runCommand(const std::string& command);

// True if a process with this id exists and is not a zombie.
bool processAlive(pid_t pid);

// Polls `condition` every 20 ms until it holds or the timeout passes.
template <typename Condition> bool eventually(int milliseconds, Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
