#include "host/win32/host_window_proc.h"

#include "host/win32/host_state.h"
#include "host/win32/host_system.h"
#include "host/win32/saver_window_proc.h"

#include <cstdlib>

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
    HostState& state = hostState();
    if (event <= 5)
        return true;
    if (event == ResumeCritical || event == ResumeSuspend || event == ResumeStandby ||
        event == ResumeAutomatic)
        return (data & ResumedFromFailure) == 0;
    if (event == PowerStatusChange) {
        const BYTE status = hostSystem().acLineStatus();
        const bool changed = status != state.acLineStatus;
        state.acLineStatus = status;
        return changed;
    }
    return true;
}

// The closing rules. Returns true when the message is answered here (the
// cursor messages), with the answer in `result`.
bool applyClosingRules(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HostState& state = hostState();
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        postClose(window);
        break;
    case WM_MOUSEMOVE: {
        // The anchor moves only when a close is posted, so small moves add up.
        const POINT at = hostSystem().cursorPosition();
        const long travel = std::labs(long{at.x} - state.mouseAnchor.x) +
                            std::labs(long{at.y} - state.mouseAnchor.y);
        if (travel > state.mouseThreshold) {
            postClose(window);
            state.mouseAnchor = at;
        }
        break;
    }
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

LRESULT hostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HostState& state = hostState();
    switch (message) {
    case WM_CREATE: {
        // Keep an input method from popping up its window over the saver.
        if (HMODULE imm = GetModuleHandleW(L"IMM32.DLL")) {
            FARPROC entry = GetProcAddress(imm, "ImmAssociateContext");
            if (entry != nullptr) {
                state.imeLibrary = imm;
                state.associateContext =
                    reinterpret_cast<AssociateContextProc>(reinterpret_cast<void (*)()>(entry));
                state.imeContext = state.associateContext(window, nullptr);
            }
        }
        state.mouseAnchor = hostSystem().cursorPosition();
        if (!state.inPreview)
            hideCursor();
        break;
    }
    case WM_DESTROY:
        if (state.imeLibrary != nullptr && state.associateContext != nullptr &&
            state.imeContext != nullptr)
            state.associateContext(window, state.imeContext);
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (state.closing)
            return DefWindowProcW(window, message, wParam, lParam);
        if (!state.inPreview)
            hideCursor();
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (state.inPreview) {
            HWND parent = GetParent(window);
            if (parent != nullptr && IsWindow(parent))
                PostMessageW(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
            return 1;
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (state.closing)
            return DefWindowProcW(window, message, wParam, lParam);
        break;
    case WM_TIMER:
        if (state.closing)
            return 0;
        Sleep(0);
        break;
    case WM_SYSCOMMAND:
        if (!state.inPreview) {
            switch (wParam & 0xFFF0) {
            case SC_NEXTWINDOW:
            case SC_PREVWINDOW:
            case SC_SCREENSAVE:
                return 0;
            case SC_MONITORPOWER:
                postClose(window);
                break;
            default:
                break;
            }
        }
        break;
    default:
        break;
    }
    return SaverWindowProc(window, message, wParam, lParam);
}

} // namespace

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Unwinding through the system's message dispatch is undefined; end the
    // run instead, and let the loop's owner tear the window down.
    try {
        return hostMessage(window, message, wParam, lParam);
    } catch (...) {
        failRun();
        return message == WM_CREATE ? 0 : DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HostState& state = hostState();
    if (!state.inPreview && !state.closing) {
        if (message == WM_CLOSE && state.on9xFamily && !VerifyBeforeClose(window)) {
            state.mouseAnchor = hostSystem().cursorPosition();
            return 0;
        }
        if (message == VerifyMessage && state.on9xFamily)
            return state.verifyPassword != nullptr ? state.verifyPassword(window) : 1;
        if (message != WM_CLOSE && message != VerifyMessage && !state.checkingPassword) {
            LRESULT result = 0;
            if (applyClosingRules(window, message, wParam, lParam, result))
                return result;
        }
    }
    if (state.autoPlayMessage != 0 && message == state.autoPlayMessage) {
        postClose(window);
        return state.verifyPassword != nullptr ? 1 : 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool VerifyBeforeClose(HWND window) {
    HostState& state = hostState();
    if (state.checkingPassword)
        return false;
    if (state.verifyPassword == nullptr) {
        state.closing = true;
        return true;
    }
    if (state.haveLastVerifyTick &&
        hostSystem().tickCount() - state.lastVerifyTick < PasswordRetryDelayMs)
        return false;
    state.checkingPassword = true;
    MSG pending;
    PeekMessageW(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageW(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    state.closing = SendMessageW(window, VerifyMessage, 0, 0) != 0;
    state.checkingPassword = false;
    if (!state.closing)
        hideCursor();
    state.lastVerifyTick = hostSystem().tickCount();
    state.haveLastVerifyTick = true;
    return state.closing;
}
