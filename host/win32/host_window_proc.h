#pragma once

#include <windows.h>

// The window procedure of "WindowsScreenSaverClass". Consumes what the runtime
// owns (title, cursor, input method, system commands, input once closing) and
// hands every other message to SaverWindowProc. No C++ exception leaves it:
// one that reaches this boundary marks the run failed and posts the quit code
// -1.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
