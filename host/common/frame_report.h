#pragma once

#include <chrono>
#include <cstdint>

// The benchmark's frame rate: with VELTRANE_REPORT_FRAMES set to anything but
// empty or "0", the run's frames per second are printed on stderr as it ends.
// Nothing is printed otherwise, so the saver's own output is unchanged.
class FrameReport {
public:
    // The run's drawing starts now.
    FrameReport() : started_(std::chrono::steady_clock::now()) {}
    // Prints the report for `frames` drawn in the `ticks` run since
    // construction, if asked for; a tick whose frame nobody could see draws
    // none.
    void print(std::int64_t frames, std::int64_t ticks) const;

private:
    std::chrono::steady_clock::time_point started_;
};
