#include "host/headless/simulate_mode.h"

#include <cstdio>

int runSimulateMode(int, char**) {
    std::fputs("veltrane: --simulate is not available in this build\n", stderr);
    return 2;
}
