#include "tests/host/x11/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment) {
    char pattern[] = "/tmp/veltrane-test-stderr-XXXXXX";
    int errorFd = mkstemp(pattern);
    errorFile_ = pattern;

    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    for (const auto& extra : environment) {
        std::string name = extra.substr(0, extra.find('=') + 1);
        std::erase_if(envStrings, [&](const std::string& s) { return s.starts_with(name); });
        envStrings.push_back(extra);
    }
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (const auto& e : envStrings)
        env.push_back(const_cast<char*>(e.c_str()));
    env.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        if (errorFd >= 0)
            dup2(errorFd, STDERR_FILENO);
        int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        execve(args[0], args.data(), env.data());
        _exit(127);
    }
    if (pid_ > 0)
        setpgid(pid_, pid_); // also here, so the group exists before we ever signal it
    if (errorFd >= 0)
        close(errorFd);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(-pid_, SIGKILL);
        if (!status_)
            waitpid(pid_, nullptr, 0);
    }
    std::remove(errorFile_.c_str());
}

std::optional<int> ChildProcess::waitExit(int milliseconds) {
    eventually(milliseconds, [&] { return !running(); });
    return status_;
}

bool ChildProcess::running() {
    if (status_ || pid_ <= 0)
        return false;
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) != pid_)
        return true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return false;
}

void ChildProcess::signal(int number) {
    if (pid_ > 0 && !status_)
        kill(pid_, number);
}

std::string ChildProcess::errorOutput() const {
    std::ifstream in(errorFile_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int runCommand(const std::string& command) {
    int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

bool processAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    // The state letter follows the parenthesised command name.
    auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}
