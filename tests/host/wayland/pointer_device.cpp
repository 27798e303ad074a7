// A pointer device for headless sway, which has none: the tests' cursor
// commands (swaymsg seat - cursor ...) reach clients only while the seat has
// a pointer, as every desktop has one from the start. Creates one through
// wlr-virtual-pointer (its client interface is declared below: no Debian
// package ships that protocol's XML) and keeps it until a signal ends the
// process or the compositor goes away.
//   wayland_pointer_device            (uses $WAYLAND_DISPLAY)
#include <wayland-client.h>

#include <cstdio>
#include <cstring>

namespace {
const wl_interface* noTypes[8] = {};
extern const wl_interface virtualPointerInterface;
const wl_interface* createTypes[] = {&wl_seat_interface, &virtualPointerInterface};

const wl_message managerRequests[] = {{"create_virtual_pointer", "?on", createTypes},
                                      {"destroy", "", noTypes}};
const wl_interface managerInterface = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, managerRequests, 0, nullptr};

// Every request up to destroy, so that destroy has its opcode (8).
const wl_message pointerRequests[] = {
    {"motion", "uff", noTypes},   {"motion_absolute", "uuuuu", noTypes},
    {"button", "uuu", noTypes},   {"axis", "uuf", noTypes},
    {"frame", "", noTypes},       {"axis_source", "u", noTypes},
    {"axis_stop", "uu", noTypes}, {"axis_discrete", "uufi", noTypes},
    {"destroy", "", noTypes}};
const wl_interface virtualPointerInterface = {"zwlr_virtual_pointer_v1", 1, 9,
                                              pointerRequests,           0, nullptr};

struct Globals {
    wl_seat* seat = nullptr;
    wl_proxy* manager = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* g = static_cast<Globals*>(data);
    if (!g->seat && std::strcmp(interface, "wl_seat") == 0)
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    if (!g->manager && std::strcmp(interface, managerInterface.name) == 0)
        g->manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &managerInterface, 1));
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {global, globalRemove};
} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("wayland_pointer_device: no compositor\n", stderr);
        return 2;
    }
    Globals g;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &g);
    wl_display_roundtrip(display);
    if (!g.seat || !g.manager) {
        std::fputs("wayland_pointer_device: no wlr-virtual-pointer\n", stderr);
        return 2;
    }
    wl_proxy* pointer = wl_proxy_marshal_flags(g.manager, 0, &virtualPointerInterface,
                                               wl_proxy_get_version(g.manager), 0, g.seat, nullptr);
    while (wl_display_dispatch(display) >= 0) {
    }
    wl_proxy_marshal_flags(pointer, 8, nullptr, wl_proxy_get_version(pointer),
                           WL_MARSHAL_FLAG_DESTROY);
    wl_display_disconnect(display);
    return 0;
}
