// For bench/unseen.sh: runs COMMAND with its standard error on a Unix stream
// socket whose reading end asks the kernel for the writer's credentials
// (SO_PASSCRED), and writes every line that COMMAND or any process it forks
// prints there to standard output as
//   <process id> <line>
// The kernel never hands one read bytes of two writers, so a full-screen
// saver's children, which share the parent's standard error, are told apart
// (WAYLAND_DEBUG's requests of each output's process, for instance). Exits
// with COMMAND's status, 128 + N after death by signal N; SIGTERM and SIGINT
// are passed on to COMMAND. What one read brings is written out before the
// next read. Standard output should be a file: a slow reader slows the
// writers.
//   stderr_by_process COMMAND [ARGUMENT...]
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

volatile pid_t child = 0;

void passOn(int signal) {
    if (child > 0)
        kill(child, signal);
}

void emit(pid_t pid, const std::string& line) {
    std::fprintf(stdout, "%d %s\n", static_cast<int>(pid), line.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: stderr_by_process COMMAND [ARGUMENT...]\n");
        return 2;
    }
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        std::perror("stderr_by_process: socketpair");
        return 2;
    }
    const int on = 1;
    if (setsockopt(ends[0], SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0) {
        std::perror("stderr_by_process: SO_PASSCRED");
        return 2;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("stderr_by_process: fork");
        return 2;
    }
    if (pid == 0) {
        dup2(ends[1], STDERR_FILENO); // dup2 clears close-on-exec
        execvp(argv[1], argv + 1);
        std::fprintf(stdout, "%d stderr_by_process: cannot run %s: %s\n",
                     static_cast<int>(getpid()), argv[1], std::strerror(errno));
        _exit(127);
    }
    child = pid;
    struct sigaction action = {};
    action.sa_handler = passOn;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    close(ends[1]);

    // Bytes of a line not yet ended, per writer.
    std::map<pid_t, std::string> partial;
    char buffer[65536];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    for (;;) {
        iovec io = {buffer, sizeof buffer};
        msghdr message = {};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t got = recvmsg(ends[0], &message, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // every writer has closed its end
        pid_t writer = 0;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c))
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS) {
                ucred credentials;
                std::memcpy(&credentials, CMSG_DATA(c), sizeof credentials);
                writer = credentials.pid;
            }
        std::string& line = partial[writer];
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                emit(writer, line);
                line.clear();
            } else {
                line += buffer[i];
            }
        }
        // Each read is passed on at once: a caller may watch the output grow.
        std::fflush(stdout);
    }
    for (const auto& [writer, line] : partial)
        if (!line.empty())
            emit(writer, line);
    std::fflush(stdout);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
