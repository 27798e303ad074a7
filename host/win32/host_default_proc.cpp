#include "host/win32/host_default_proc.h"

#include "host/win32/host_state.h"
#include "host/win32/host_system.h"

namespace {

// Power broadcast events, numbered as the platform sends them.
constexpr WPARAM ResumeCritical = 6;
constexpr WPARAM ResumeSuspend = 7;
constexpr WPARAM ResumeStandby = 8;
constexpr WPARAM PowerStatusChange = 10;
constexpr WPARAM ResumeAutomatic = 18;
constexpr LPARAM ResumedFromFailure = 1;
constexpr WPARAM CriticalResume = 3; // WM_POWER

constexpr DWORD PasswordRetryDelayMs = 200;

void hideCursor() {
    SetCursor(nullptr);
}

void postClose(HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
}

bool powerBroadcastCloses(WPARAM event, LPARAM data) {
    if (event <= 5)
        return true;
    if (event == ResumeCritical || event == ResumeSuspend || event == ResumeStandby ||
        event == ResumeAutomatic)
        return (data & ResumedFromFailure) == 0;
    if (event == PowerStatusChange) {
        PowerState& power = hostState().power;
        const BYTE status = hostSystem().acLineStatus();
        const bool changed = status != power.acLineStatus;
        power.acLineStatus = status;
        return changed;
    }
    return true;
}

void mouseMoved(HWND window) {
    const POINT at = hostSystem().cursorPosition();
    if (hostState().rules.input.pointerAt(at.x, at.y))
        postClose(window);
}

// The closing rules. Returns true when the message is answered here (the
// cursor messages), with the answer in `result`.
bool applyClosingRules(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    ClosingRules& input = hostState().rules.input;
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (input.keyPressed())
            postClose(window);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (input.buttonPressed())
            postClose(window);
        break;
    case WM_MOUSEMOVE:
        mouseMoved(window);
        break;
    case WM_ACTIVATEAPP:
        if (wParam == FALSE)
            postClose(window);
        break;
    case WM_POWER:
        if (wParam == CriticalResume)
            postClose(window);
        break;
    case WM_POWERBROADCAST:
        if (powerBroadcastCloses(wParam, lParam))
            postClose(window);
        break;
    case WM_SETCURSOR:
        hideCursor();
        result = TRUE;
        return true;
    case WM_SHOWWINDOW:
        if (wParam != FALSE)
            hideCursor();
        break;
    default:
        break;
    }
    return false;
}

} // namespace

LRESULT HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HostState& state = hostState();
    if (!state.rules.inPreview && !state.rules.closing) {
        if (message == WM_CLOSE && state.on9xFamily && !VerifyBeforeClose(window)) {
            const POINT at = hostSystem().cursorPosition();
            state.rules.input.anchorPointer(at.x, at.y);
            return 0;
        }
        if (message == VerifyMessage && state.on9xFamily)
            return state.password.verifyPassword != nullptr ? state.password.verifyPassword(window)
                                                            : 1;
        if (message != WM_CLOSE && message != VerifyMessage && !state.password.checkingPassword) {
            LRESULT result = 0;
            if (applyClosingRules(window, message, wParam, lParam, result))
                return result;
        }
    }
    if (state.rules.autoPlayMessage != 0 && message == state.rules.autoPlayMessage) {
        postClose(window);
        return state.password.verifyPassword != nullptr ? 1 : 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool VerifyBeforeClose(HWND window) {
    CloseState& rules = hostState().rules;
    PasswordState& password = hostState().password;
    if (password.checkingPassword)
        return false;
    if (password.verifyPassword == nullptr) {
        rules.closing = true;
        return true;
    }
    if (password.haveLastVerifyTick &&
        hostSystem().tickCount() - password.lastVerifyTick < PasswordRetryDelayMs)
        return false;
    password.checkingPassword = true;
    MSG pending;
    PeekMessageW(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageW(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    rules.closing = SendMessageW(window, VerifyMessage, 0, 0) != 0;
    password.checkingPassword = false;
    if (!rules.closing)
        hideCursor();
    password.lastVerifyTick = hostSystem().tickCount();
    password.haveLastVerifyTick = true;
    return rules.closing;
}
