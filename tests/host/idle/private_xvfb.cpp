#include "tests/host/idle/private_xvfb.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

bool PrivateXvfb::installed() {
    return access("/usr/bin/Xvfb", X_OK) == 0;
}

PrivateXvfb::PrivateXvfb() {
    int ready[2];
    if (pipe(ready) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24",
              "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // Xvfb writes its display number, then a newline, once it accepts
    // connections; a reader gone before the newline is a fatal error to it.
    std::string written;
    pollfd readable = {ready[0], POLLIN, 0};
    char chunk[16];
    ssize_t got = 0;
    while (written.find('\n') == std::string::npos && poll(&readable, 1, 15000) == 1 &&
           (got = read(ready[0], chunk, sizeof chunk)) > 0)
        written.append(chunk, static_cast<std::size_t>(got));
    const std::size_t digits = std::min(written.size(), written.find_first_not_of("0123456789"));
    if (digits > 0 && written.find('\n') != std::string::npos)
        display_ = std::string(":").append(written, 0, digits);
    close(ready[0]);
}

PrivateXvfb::~PrivateXvfb() {
    kill();
}

void PrivateXvfb::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}
