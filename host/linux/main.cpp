// The Linux `veltrane` binary: picks the mode from the command line and hands
// the whole argument list to it. Each mode parses and validates its own options.
#include "host/headless/simulate_mode.h"
#include "host/headless/snapshot_mode.h"
#include "host/x11/x11_mode.h"

#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--simulate") == 0)
            return runSimulateMode(argc, argv);
        if (std::strcmp(argv[i], "--snapshot") == 0)
            return runSnapshotMode(argc, argv);
    }
    return runX11Mode(argc, argv);
}
