#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A helper program the test talks to a line at a time: its stdin and stdout
// are pipes, its stderr goes to the test's. Destruction closes its stdin, then
// kills and reaps it.
class PipedProgram {
public:
    // `environment` ("NAME=value") is added to the test's.
    explicit PipedProgram(const std::vector<std::string>& argv,
                          const std::vector<std::string>& environment = {});
    ~PipedProgram();
    PipedProgram(const PipedProgram&) = delete;
    PipedProgram& operator=(const PipedProgram&) = delete;

    // The next line it writes, without the newline; "" if none comes in time.
    std::string readLine(int milliseconds);
    // Writes `command` and returns its answer line.
    std::string ask(const std::string& command, int milliseconds = 10000);
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffered_;
};
