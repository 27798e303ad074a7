#include "host/win32/host_window_proc.h"

#include "host/win32/host_state.h"
#include "host/win32/host_system.h"
#include "host/win32/saver_window_proc.h"

#include <optional>

namespace {

void hideCursor() {
    SetCursor(nullptr);
}

// Keeps an input method from popping up its window over the saver.
void detachInputMethod(HWND window) {
    InputMethodState& ime = hostState().inputMethod;
    HMODULE imm = GetModuleHandleW(L"IMM32.DLL");
    if (imm == nullptr)
        return;
    FARPROC entry = GetProcAddress(imm, "ImmAssociateContext");
    if (entry == nullptr)
        return;
    ime.imeLibrary = imm;
    ime.associateContext =
        reinterpret_cast<AssociateContextProc>(reinterpret_cast<void (*)()>(entry));
    ime.imeContext = ime.associateContext(window, nullptr);
}

void reattachInputMethod(HWND window) {
    const InputMethodState& ime = hostState().inputMethod;
    if (ime.imeLibrary != nullptr && ime.associateContext != nullptr && ime.imeContext != nullptr)
        ime.associateContext(window, ime.imeContext);
}

void windowCreated(HWND window) {
    detachInputMethod(window);
    CloseState& rules = hostState().rules;
    const POINT at = hostSystem().cursorPosition();
    rules.input.anchorPointer(at.x, at.y);
    if (!rules.inPreview)
        hideCursor();
}

// Help in the preview belongs to the display settings around it.
LRESULT forwardHelpToParent(HWND window, UINT message, LPARAM lParam) {
    HWND parent = GetParent(window);
    if (parent != nullptr && IsWindow(parent))
        PostMessageW(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
    return 1;
}

// Full screen: no task switching and no second saver; turning the monitor
// off closes the saver. Nullopt passes the command on.
std::optional<LRESULT> systemCommand(HWND window, WPARAM command) {
    switch (command & 0xFFF0) {
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
    case SC_SCREENSAVE:
        return 0;
    case SC_MONITORPOWER:
        PostMessageW(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
    return std::nullopt;
}

// What the runtime answers itself; nullopt passes the message on to the saver.
std::optional<LRESULT> runtimeAnswer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const CloseState& rules = hostState().rules;
    switch (message) {
    case WM_CREATE:
        windowCreated(window);
        break;
    case WM_DESTROY:
        reattachInputMethod(window);
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (rules.closing)
            return DefWindowProcW(window, message, wParam, lParam);
        if (!rules.inPreview)
            hideCursor();
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (rules.inPreview)
            return forwardHelpToParent(window, message, lParam);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (rules.closing)
            return DefWindowProcW(window, message, wParam, lParam);
        break;
    case WM_TIMER:
        if (rules.closing)
            return 0;
        Sleep(0);
        break;
    case WM_SYSCOMMAND:
        if (!rules.inPreview)
            return systemCommand(window, wParam);
        break;
    default:
        break;
    }
    return std::nullopt;
}

} // namespace

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Unwinding through the system's message dispatch is undefined; end the
    // run instead, and let the loop's owner tear the window down.
    try {
        if (const std::optional<LRESULT> answer = runtimeAnswer(window, message, wParam, lParam))
            return *answer;
        return SaverWindowProc(window, message, wParam, lParam);
    } catch (...) {
        failRun();
        return message == WM_CREATE ? 0 : DefWindowProcW(window, message, wParam, lParam);
    }
}
