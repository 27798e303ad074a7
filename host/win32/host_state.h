#pragma once

#include "host/common/closing_rules.h"

#include <windows.h>

// The runtime's process-wide state, used only by the window thread, grouped
// by the concern that reads and writes it.
using VerifyPasswordProc = BOOL(WINAPI*)(HWND window);
using AssociateContextProc = HIMC(WINAPI*)(HWND window, HIMC context);

// When input ends the saver.
struct CloseState {
    // The window is a child of the preview window: the closing rules are off.
    bool inPreview = false;
    // A close has been approved: input goes to default handling.
    bool closing = false;
    // Keys, buttons and cursor travel in screen coordinates, from an anchor
    // at the origin until the window records the cursor.
    ClosingRules input = [] {
        ClosingRules rules;
        rules.anchorPointer(0, 0);
        return rules;
    }();
    // "QueryCancelAutoPlay" on the 9x family, else 0: the shell's query closes the saver.
    UINT autoPlayMessage = 0;
};

// The 9x family's screen-saver password: the loaded verifier and the request
// under way or last made.
struct PasswordState {
    HMODULE passwordLibrary = nullptr;
    VerifyPasswordProc verifyPassword = nullptr;
    // A password request is under way: the closing rules are suspended.
    bool checkingPassword = false;
    bool haveLastVerifyTick = false;
    DWORD lastVerifyTick = 0;
};

// The input method detached from the window while the saver runs, so its
// window cannot pop up over the saver; re-attached on destruction.
struct InputMethodState {
    HMODULE imeLibrary = nullptr;
    AssociateContextProc associateContext = nullptr;
    HIMC imeContext = nullptr;
};

// The power line, whose change closes the saver.
struct PowerState {
    BYTE acLineStatus = 255; // none read yet
};

struct HostState {
    HINSTANCE instance = nullptr;
    bool on9xFamily = false;
    CloseState rules;
    PasswordState password;
    InputMethodState inputMethod;
    PowerState power;
    // The run was ended by a failure (an exception at the window procedure's
    // boundary, or a failed teardown): the exit code is -1.
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
