#pragma once

#include "host/common/animation.h"
#include "host/common/exit_status.h"
#include "host/common/universe_animation.h"

class Host;

// What a hosted run shows on its host.
struct HostedSaver {
    // Input closes the saver (a window or full screen); an XScreenSaver hack
    // closes only when its window goes or a signal comes.
    bool watchesInput = true;
    // Draw the frame-rate overlay over every frame.
    bool fps = false;
    // What draws; the saver's universe unless a test stands in for it.
    AnimationFactory animation = universeAnimationFactory();
};

// One saver run on one host, from its window to its exit status: opens the
// host, builds the animation drawing into the host's target (behind the
// frame-rate overlay when asked for), pumps the host's events through the
// closing rules until they close it or the host, the animation or an
// exception ends it, then tears down in the one safe order: the animation
// (its simulation thread lets the context go as it ends), then the host's
// context, then its window and connection. Every end of the run that is not
// the host's own is reported on stderr here, once: a simulation that failed,
// a teardown that failed, an unexpected error (after the screen is given
// back), and on request the frame report. A signal that cut the host's start
// short ends the run before the animation is built. Runs on the host's event
// thread; the host outlives the call.
ExitStatus runHosted(Host& host, const HostedSaver& saver);
