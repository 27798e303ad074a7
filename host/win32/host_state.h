#pragma once

#include <windows.h>

// The runtime's process-wide state, used only by the window thread.
using VerifyPasswordProc = BOOL(WINAPI*)(HWND window);
using AssociateContextProc = HIMC(WINAPI*)(HWND window, HIMC context);

struct HostState {
    HINSTANCE instance = nullptr;
    bool on9xFamily = false;
    // The window is a child of the preview window: the closing rules are off.
    bool inPreview = false;
    // A close has been approved: input goes to default handling.
    bool closing = false;
    // A password request is under way: the closing rules are suspended.
    bool checkingPassword = false;
    POINT mouseAnchor{0, 0};
    // Horizontal plus vertical travel from the anchor beyond which the saver closes.
    int mouseThreshold = 4;
    bool haveLastVerifyTick = false;
    DWORD lastVerifyTick = 0;
    BYTE acLineStatus = 255;
    UINT autoPlayMessage = 0;
    HMODULE passwordLibrary = nullptr;
    VerifyPasswordProc verifyPassword = nullptr;
    HMODULE imeLibrary = nullptr;
    AssociateContextProc associateContext = nullptr;
    HIMC imeContext = nullptr;
    // The run was ended by a failure (an exception at the window procedure's
    // boundary, or a failed simulation): the exit code is -1.
    bool runFailed = false;
};

HostState& hostState();
// Back to the initial values (tests, and each run).
void resetHostState();

// Ends the message loop with -1 and remembers why; the window is torn down by
// the loop's owner.
void failRun();

// The verify message the runtime sends to its own window.
constexpr UINT VerifyMessage = WM_APP;
