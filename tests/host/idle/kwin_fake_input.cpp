// Input for KWin, which offers no virtual keyboard or pointer protocol: a key
// press and release (an evdev code, default KEY_A) or, with "move", a pointer
// motion, through org_kde_kwin_fake_input. KWin offers that global only to
// clients it trusts; the tests' headless KWin trusts every client
// (scripts/lib/headless-kwin). Exits 0 once KWin has the events, 1 when it
// cannot connect, 2 when the global is missing.
//   kwin_fake_input [-s MS] [KEYCODE | move]  (uses $WAYLAND_DISPLAY)
// KWin adds the tool's device to the seat once it connects, which changes the
// seat's capabilities: clients that then bind their keyboard afresh (the saver
// does) miss a key sent at once, which goes to the keyboard they let go. -s
// waits MS milliseconds after the connection, as wtype's -s does, so that the
// key reaches the new one.
#include "fake-input-client-protocol.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <wayland-client.h>

namespace {
void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        *static_cast<org_kde_kwin_fake_input**>(data) = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}
} // namespace

int main(int argc, char** argv) {
    static const wl_registry_listener listener = {global, globalRemove};
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::perror("kwin_fake_input: cannot connect");
        return 1;
    }
    org_kde_kwin_fake_input* input = nullptr;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &input);
    if (wl_display_roundtrip(display) < 0 || !input) {
        std::fprintf(stderr, "kwin_fake_input: no org_kde_kwin_fake_input version 4\n");
        return 2;
    }
    int first = 1;
    int pauseMs = 0;
    if (argc > 2 && std::strcmp(argv[1], "-s") == 0) {
        pauseMs = std::atoi(argv[2]);
        first = 3;
    }
    org_kde_kwin_fake_input_authenticate(input, "veltrane tests", "idle tests");
    if (pauseMs > 0) {
        wl_display_roundtrip(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    const std::string what = argc > first ? argv[first] : "30"; // KEY_A
    if (what == "move") {
        org_kde_kwin_fake_input_pointer_motion(input, wl_fixed_from_int(1), 0);
    } else {
        const auto key = static_cast<std::uint32_t>(std::strtoul(what.c_str(), nullptr, 10));
        org_kde_kwin_fake_input_keyboard_key(input, key, WL_KEYBOARD_KEY_STATE_PRESSED);
        org_kde_kwin_fake_input_keyboard_key(input, key, WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    const int status = wl_display_roundtrip(display) < 0 ? 1 : 0;
    org_kde_kwin_fake_input_destroy(input);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return status;
}
