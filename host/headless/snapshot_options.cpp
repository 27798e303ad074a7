#include "host/headless/snapshot_options.h"

#include <algorithm>

std::int64_t SnapshotOptions::ticksToRun() const {
    if (maxFrames > 0 && (record || !framesDir.empty()))
        return std::min(ticks, maxFrames * every);
    return ticks;
}

std::int64_t SnapshotOptions::displayMilliseconds() const {
    return frameMilliseconds.value_or(every * 30);
}
