// What a video player does for the idle tests: maps a small window and holds a
// zwp_idle_inhibitor_v1 on its surface until killed. Creates the file named
// by its argument once the compositor has the inhibitor, so that a test times
// from then. Exits 1 when a global is missing or the compositor goes away.
//   idle_inhibitor READY-FILE         (uses $WAYLAND_DISPLAY)
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {
constexpr int side = 64;

struct Client {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* wmBase = nullptr;
    zwp_idle_inhibit_manager_v1* inhibitManager = nullptr;
    wl_surface* surface = nullptr;
    wl_buffer* buffer = nullptr;
};

template <typename T> T* bind(wl_registry* registry, std::uint32_t name, const wl_interface& type) {
    return static_cast<T*>(wl_registry_bind(registry, name, &type, 1));
}

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
    auto& c = *static_cast<Client*>(data);
    const auto is = [&](const wl_interface& type) {
        return std::strcmp(interface, type.name) == 0;
    };
    if (is(wl_compositor_interface))
        c.compositor = bind<wl_compositor>(registry, name, wl_compositor_interface);
    else if (is(wl_shm_interface))
        c.shm = bind<wl_shm>(registry, name, wl_shm_interface);
    else if (is(xdg_wm_base_interface))
        c.wmBase = bind<xdg_wm_base>(registry, name, xdg_wm_base_interface);
    else if (is(zwp_idle_inhibit_manager_v1_interface))
        c.inhibitManager = bind<zwp_idle_inhibit_manager_v1>(registry, name,
                                                             zwp_idle_inhibit_manager_v1_interface);
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}

// Every configure is answered with the same grey square.
void configure(void* data, xdg_surface* xdgSurface, std::uint32_t serial) {
    auto& c = *static_cast<Client*>(data);
    xdg_surface_ack_configure(xdgSurface, serial);
    wl_surface_attach(c.surface, c.buffer, 0, 0);
    wl_surface_damage(c.surface, 0, 0, side, side);
    wl_surface_commit(c.surface);
}

wl_buffer* greySquare(wl_shm* shm) {
    constexpr int size = side * side * 4;
    const int fd = memfd_create("idle-inhibitor", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) < 0)
        return nullptr;
    void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED)
        return nullptr;
    std::memset(pixels, 0x80, size);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
    wl_buffer* square =
        wl_shm_pool_create_buffer(pool, 0, side, side, side * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return square;
}
} // namespace

int main(int argc, char** argv) {
    static const wl_registry_listener registryListener = {global, globalRemove};
    static const xdg_wm_base_listener wmBaseListener = {
        [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
    static const xdg_surface_listener surfaceListener = {configure};
    wl_display* display = wl_display_connect(nullptr);
    if (argc != 2 || !display)
        return 1;
    Client c;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &c);
    wl_display_roundtrip(display);
    if (!c.compositor || !c.shm || !c.wmBase || !c.inhibitManager ||
        !(c.buffer = greySquare(c.shm))) {
        std::fprintf(stderr, "idle_inhibitor: a global is missing\n");
        return 1;
    }
    xdg_wm_base_add_listener(c.wmBase, &wmBaseListener, nullptr);
    c.surface = wl_compositor_create_surface(c.compositor);
    xdg_surface* xdgSurface = xdg_wm_base_get_xdg_surface(c.wmBase, c.surface);
    xdg_surface_add_listener(xdgSurface, &surfaceListener, &c);
    xdg_toplevel_set_app_id(xdg_surface_get_toplevel(xdgSurface), "veltrane-idle-inhibitor");
    wl_surface_commit(c.surface);
    // Mapped once the first configure is answered; compositors count an
    // inhibitor only while its surface is visible.
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    zwp_idle_inhibit_manager_v1_create_inhibitor(c.inhibitManager, c.surface);
    if (wl_display_roundtrip(display) < 0)
        return 1;
    close(open(argv[1], O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    while (wl_display_dispatch(display) >= 0) {
    }
    return 1;
}
