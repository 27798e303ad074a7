#include "host/x11/x11_mode.h"

#include <cstdio>

int runX11Mode(int, char**) {
    std::fputs("veltrane: the X11 host is not available in this build\n", stderr);
    return 2;
}
