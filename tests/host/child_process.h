#pragma once
// Programs the end-to-end tests start, in process groups of their own, and
// polling for what they do.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Polls `condition` every 20 ms until it holds or the timeout passes.
template <typename Condition> bool eventually(int milliseconds, Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A program in a process group of its own, `environment` ("NAME=value") added
// to the test's ("NAME" alone removes it). Destruction kills the whole group (the XScreenSaver
// daemon's helpers and hacks included) and reaps the leader, so a failing test leaves nothing
// running.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> argv,
                          std::vector<std::string> environment = {}) {
        char pattern[] = "/tmp/veltrane-test-stderr-XXXXXX";
        int errorFd = mkstemp(pattern);
        errorFile_ = pattern;
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            for (auto& entry : environment)
                entry.find('=') == std::string::npos ? unsetenv(entry.c_str())
                                                     : putenv(entry.data());
#ifdef CHILD_PRELOAD
            // Sanitizer builds: keep Mesa's driver loaded so LeakSanitizer
            // sees what it still holds; the preload goes before its runtime.
            setenv("LD_PRELOAD", CHILD_PRELOAD, 1);
            std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
            setenv("ASAN_OPTIONS", (asan + ":verify_asan_link_order=0").c_str(), 1);
#endif
            int null = open("/dev/null", O_RDWR);
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(errorFd, STDERR_FILENO);
            std::vector<char*> args;
            for (auto& arg : argv)
                args.push_back(arg.data());
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        setpgid(pid_, pid_); // also here, so the group exists before we ever signal it
        close(errorFd);
    }
    ~ChildProcess() {
        kill(-pid_, SIGKILL);
        if (!status_)
            waitpid(pid_, nullptr, 0);
        std::remove(errorFile_.c_str());
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit status (128 + signal if killed by one) if the process ended
    // within the timeout, else nothing.
    std::optional<int> waitExit(int milliseconds) {
        eventually(milliseconds, [&] {
            int raw = 0;
            if (!status_ && waitpid(pid_, &raw, WNOHANG) == pid_)
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return status_.has_value();
        });
        return status_;
    }
    void signal(int number) {
        kill(pid_, number);
    }
    pid_t pid() const {
        return pid_;
    }
    std::string errorOutput() const {
        std::stringstream text;
        text << std::ifstream(errorFile_).rdbuf();
        return text.str();
    }

private:
    pid_t pid_;
    std::optional<int> status_;
    std::string errorFile_;
};

// True if a process with this id exists and is not a zombie.
inline bool processAlive(pid_t pid) {
    std::string line;
    std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/stat"), line);
    // The state letter follows the parenthesised command name.
    auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

// A live (non-zombie) process as /proc shows it.
struct ProcessEntry {
    pid_t pid = 0;
    pid_t parent = 0;
    pid_t group = 0;
};

inline std::vector<ProcessEntry> liveProcesses() {
    std::vector<ProcessEntry> found;
    std::error_code error;
    for (auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string line;
        std::getline(std::ifstream(entry.path() / "stat"), line);
        auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        // After the command name: state, ppid, pgrp.
        std::istringstream fields(line.substr(close + 2));
        std::string state;
        ProcessEntry process;
        process.pid = std::stoi(name);
        if (fields >> state >> process.parent >> process.group && state != "Z")
            found.push_back(process);
    }
    return found;
}

// Live processes in the process group `group`.
inline std::vector<pid_t> processesInGroup(pid_t group) {
    std::vector<pid_t> found;
    for (const ProcessEntry& process : liveProcesses())
        if (process.group == group)
            found.push_back(process.pid);
    return found;
}

// Live children of `parent`.
inline std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> found;
    for (const ProcessEntry& process : liveProcesses())
        if (process.parent == parent)
            found.push_back(process.pid);
    return found;
}
