#include "host/win32/host_main.h"

// The runtime has started and constructed the static objects (the saver
// model among them); everything else starts from the raw command line.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HostEntry();
}
