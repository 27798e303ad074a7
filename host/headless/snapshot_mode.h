#pragma once

#include "host/headless/snapshot_options.h"
#include "host/linux/exit_status.h"

// `veltrane --snapshot FILE.png ...` and `veltrane --record FILE.webp ...`: the
// saver's real universe rendered off-screen through EGL, then a line saying
// what was written. Returns the process exit status.
ExitStatus runSnapshotMode(const SnapshotOptions& options);
