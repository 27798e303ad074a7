#include "host/headless/snapshot_mode.h"

#include <cstdio>

int runSnapshotMode(int, char**) {
    std::fputs("veltrane: --snapshot is not available in this build\n", stderr);
    return 2;
}
