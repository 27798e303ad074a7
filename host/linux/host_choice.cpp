#include "host/linux/host_choice.h"

namespace {
bool waylandCanDraw(const X11Options& options) {
    return options.mode == X11Mode::Window || options.mode == X11Mode::FullScreen;
}
} // namespace

HostChoice chooseInteractiveHost(HostRequest request, const X11Options& options,
                                 const std::function<bool()>& compositorAvailable) {
    switch (request) {
    case HostRequest::X11:
        return {InteractiveHost::X11, {}};
    case HostRequest::Wayland:
        if (!waylandCanDraw(options))
            return {InteractiveHost::Wayland,
                    "--root and --window-id draw into an X window: not with --wayland"};
        if (!options.display.empty())
            return {InteractiveHost::Wayland, "--display names an X display: not with --wayland"};
        return {InteractiveHost::Wayland, {}};
    case HostRequest::Automatic:
        break;
    }
    if (waylandCanDraw(options) && options.display.empty() && compositorAvailable())
        return {InteractiveHost::Wayland, {}};
    return {InteractiveHost::X11, {}};
}

WaylandOptions waylandOptions(const X11Options& options) {
    WaylandOptions wayland;
    wayland.fullscreen = options.mode == X11Mode::FullScreen;
    wayland.width = options.width;
    wayland.height = options.height;
    wayland.fps = options.fps;
    return wayland;
}
