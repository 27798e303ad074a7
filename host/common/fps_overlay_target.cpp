#include "host/common/fps_overlay_target.h"

#include <ctime>

namespace {

double seconds(clockid_t clock) {
    timespec now = {};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

} // namespace

void FpsOverlayTarget::present() {
    overlay_.frameDone(seconds(CLOCK_MONOTONIC), seconds(CLOCK_THREAD_CPUTIME_ID));
    overlay_.draw();
    inner_.present();
}

bool FpsOverlayTarget::frameWanted() {
    const bool wanted = inner_.frameWanted();
    if (!wanted)
        overlay_.restartSpan();
    return wanted;
}
