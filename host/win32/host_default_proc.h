#pragma once

#include <windows.h>

// The runtime's default handling, which SaverWindowProc ends every message
// with: the password check, the closing rules (input, deactivation, power
// events), the AutoPlay answer, then DefWindowProcW. Off in preview and once
// a close has been approved.
LRESULT HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether a posted close may go on. Without a password verifier it always may
// (and sets closing). With one, a request within 200 ms of the last one is
// refused without asking, and a request already under way refuses.
bool VerifyBeforeClose(HWND window);
