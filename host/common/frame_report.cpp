#include "host/common/frame_report.h"

#include <cstdio>
#include <cstdlib>

void FrameReport::print(std::int64_t frames, std::int64_t ticks) const {
    const char* wanted = std::getenv("VELTRANE_REPORT_FRAMES");
    if (!wanted || !*wanted || *wanted == '0')
        return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    if (frames == 0) {
        std::fprintf(stderr,
                     "veltrane: no frames drawn in %.2f s (nobody could see them), %lld ticks\n",
                     seconds, static_cast<long long>(ticks));
        return;
    }
    std::fprintf(stderr, "veltrane: %lld frames in %.2f s (%.2f per second), %lld ticks\n",
                 static_cast<long long>(frames), seconds,
                 seconds > 0 ? static_cast<double>(frames) / seconds : 0.0,
                 static_cast<long long>(ticks));
}
