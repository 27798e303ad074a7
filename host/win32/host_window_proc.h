#pragma once

#include <windows.h>

// The window procedure of "WindowsScreenSaverClass". Consumes what the runtime
// owns (title, cursor, system commands, input once closing) and hands every
// other message to SaverWindowProc. No C++ exception leaves it: one that
// reaches this boundary marks the run failed and posts the quit code -1.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The runtime's default handling, which SaverWindowProc ends every message
// with: the password check, the closing rules (input, deactivation, power
// events), the AutoPlay answer, then DefWindowProcW.
LRESULT HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether a posted close may go on. Without a password verifier it always may
// (and sets closing). With one, a request within 200 ms of the last one is
// refused without asking, and a request already under way refuses.
bool VerifyBeforeClose(HWND window);
