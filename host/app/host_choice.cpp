#include "host/app/host_choice.h"

namespace {
bool waylandCanDraw(const X11Request& x11) {
    return x11.drawable == X11Drawable::OwnWindow;
}
} // namespace

HostChoice chooseSaverHost(HostRequest request, const X11Request& x11,
                           const DisplayProbes& probes) {
    switch (request) {
    case HostRequest::X11:
        return {SaverHost::X11, {}, {}};
    case HostRequest::Wayland:
        if (!waylandCanDraw(x11))
            return {SaverHost::Wayland,
                    "--root and --window-id draw into an X window: not with --wayland",
                    {}};
        if (!x11.display.empty())
            return {SaverHost::Wayland, "--display names an X display: not with --wayland", {}};
        return {SaverHost::Wayland, {}, {}};
    case HostRequest::Automatic:
        break;
    }
    if (!waylandCanDraw(x11) || !x11.display.empty())
        return {SaverHost::X11, {}, {}};
    const std::optional<std::string> waylandFailure = probes.wayland();
    if (!waylandFailure)
        return {SaverHost::Wayland, {}, {}};
    if (waylandFailure->empty())
        return {SaverHost::X11, {}, {}};
    if (const std::optional<std::string> x11Failure = probes.x11())
        return {SaverHost::X11, {}, *waylandFailure + "; " + *x11Failure};
    return {SaverHost::X11, {}, {}};
}
