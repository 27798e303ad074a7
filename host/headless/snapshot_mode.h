#pragma once

// `veltrane --snapshot FILE.png ...` and `veltrane --record FILE.webp ...`: the
// saver's real universe rendered off-screen through EGL. Returns the process
// exit status.
int runSnapshotMode(int argc, char** argv);
