#pragma once

#include <cstdlib>
#include <string>
#include <vector>

// The program under test followed by `args`: the real `veltrane`, or, with
// VELTRANE_HOST_TEST_FAKE=1, the host with a stand-in animation (to tell a
// fault of the host from one of the drawing).
inline std::vector<std::string> saverCommand(std::vector<std::string> args) {
    std::vector<std::string> command;
    const char* fake = std::getenv("VELTRANE_HOST_TEST_FAKE");
    if (fake && std::string(fake) == "1")
        command = {FAKE_SAVER_BINARY, "draw"};
    else
        command = {VELTRANE_BINARY};
    command.insert(command.end(), args.begin(), args.end());
    return command;
}

// Bounds for a busy two-core machine running Mesa's software renderer.
constexpr int startupMs = 10000; // window up and showing frames
// Gone after the event that ends it. Typically well under a second; a hack
// whose window vanishes mid-frame first finishes that frame, which Mesa draws
// slowly once its drawable is gone (up to about a second when the machine is
// busy).
constexpr int exitMs = 5000;
constexpr int settleMs = 800; // still running after input it must ignore
