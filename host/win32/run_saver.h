#pragma once

#include <windows.h>

// Full screen (no parent) or preview inside `parent`: registers the saver's
// class, creates its window and runs the message loop; the loop's quit code,
// -1 when the run failed, 0 when no window was made or another full-screen
// saver was running (it is brought to the front).
int RunSaver(HWND parent);
