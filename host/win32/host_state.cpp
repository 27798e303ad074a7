#include "host/win32/host_state.h"

namespace {
HostState state;
}

HostState& hostState() {
    return state;
}

void resetHostState() {
    state = HostState{};
}

void failRun() {
    state.runFailed = true;
    PostQuitMessage(-1);
}
