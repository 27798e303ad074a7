#pragma once

#include "host/idle/idle_source.h"

#include <chrono>
#include <memory>
#include <string>

// The Wayland idle source for `period` that the compositor named by
// $WAYLAND_DISPLAY offers, tried in this order: ext-idle-notify-v1, then
// org_kde_kwin_idle. Null when there is none, with `why` saying so in one line
// for the watcher's message: no Wayland session ($WAYLAND_DISPLAY unset),
// nothing listening there, a compositor silent for
// WaylandIdleConnection::answerSeconds, one without a seat, or one offering
// neither protocol (mutter: GNOME's source is its D-Bus service). A readable
// `wakeFd` (the watcher's signal pipe) cuts a silent compositor's wait short.
// The start costs at most two bounded roundtrips.
std::unique_ptr<IdleSource> openWaylandIdleSource(std::chrono::milliseconds period,
                                                  std::string& why, int wakeFd = -1);
