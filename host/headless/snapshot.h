#pragma once

#include "host/common/exit_status.h"
#include "host/headless/snapshot_options.h"

// `veltrane --snapshot FILE.png ...` and `veltrane --record FILE.webp ...`: the
// saver's real universe rendered off-screen through EGL, then a line saying
// what was written. Returns the process exit status.
ExitStatus runSnapshot(const SnapshotOptions& options);
