#include "host/win32/run_saver.h"
#include "host/win32/about_dialog.h"
#include "host/win32/host_state.h"
#include "host/win32/host_system.h"
#include "host/win32/host_window_proc.h"
#include "host/win32/win9x_password.h"

namespace {

constexpr const wchar_t* SaverClassName = L"WindowsScreenSaverClass";
constexpr const wchar_t* FullScreenTitle = L"Screen Saver";
constexpr const wchar_t* PreviewTitle = L"Preview";

// The whole virtual screen; where the metrics report nothing, the clip box of
// the screen's device context.
RECT fullScreenRect() {
    RECT rect{};
    rect.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    rect.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width == 0 || height == 0) {
        HDC screen = GetDC(nullptr);
        GetClipBox(screen, &rect);
        ReleaseDC(nullptr, screen);
        return rect;
    }
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

// The run's message loop, until WM_QUIT (left in `message`).
void pumpUntilQuit(HWND window, bool preview, MSG& message) {
    // Under Wine a preview dies with its parent's process without ever
    // seeing WM_DESTROY, its own timers going with it: a thread timer
    // looks for the lost window so the run still ends as for a destroyed
    // parent, in the same teardown order.
    const UINT_PTR parentWatch = preview ? SetTimer(nullptr, 0, 250, nullptr) : 0;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (parentWatch != 0 && message.hwnd == nullptr && message.message == WM_TIMER &&
            !IsWindow(window)) {
            HostWindowProc(window, WM_DESTROY, 0, 0);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (parentWatch != 0)
        KillTimer(nullptr, parentWatch);
}

WNDCLASSW saverClass(HINSTANCE instance) {
    WNDCLASSW saverClass{};
    saverClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    saverClass.lpfnWndProc = HostWindowProc;
    saverClass.hInstance = instance;
    saverClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(SaverIconResource));
    saverClass.hCursor = nullptr;
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = SaverClassName;
    return saverClass;
}

// Null when the class cannot be registered or the window not created.
HWND createSaverWindow(const WNDCLASSW& windowClass, HWND parent, const RECT& rect) {
    const HINSTANCE instance = windowClass.hInstance;
    if (RegisterClassW(&windowClass) == 0)
        return nullptr;
    if (parent != nullptr)
        return CreateWindowExW(0, SaverClassName, PreviewTitle,
                               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, rect.right,
                               rect.bottom, parent, nullptr, instance, nullptr);
    return CreateWindowExW(WS_EX_TOPMOST, SaverClassName, FullScreenTitle,
                           WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect.left,
                           rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                           nullptr, instance, nullptr);
}

// A full-screen saver already running is brought to the front instead.
bool activateRunningSaver() {
    HWND running = FindWindowW(SaverClassName, FullScreenTitle);
    if (running == nullptr || !IsWindow(running))
        return false;
    SetForegroundWindow(running);
    return true;
}

} // namespace

int RunSaver(HWND parent) {
    HostState& state = hostState();
    const WNDCLASSW windowClass = saverClass(state.instance);
    RECT rect{};
    if (parent != nullptr) {
        GetClientRect(parent, &rect);
        state.rules.inPreview = true;
    } else {
        rect = fullScreenRect();
        if (activateRunningSaver())
            return 0;
        state.power.acLineStatus = hostSystem().acLineStatus();
        LoadPasswordVerifier();
    }
    state.rules.autoPlayMessage =
        state.on9xFamily ? RegisterWindowMessageW(L"QueryCancelAutoPlay") : 0;

    HWND window = createSaverWindow(windowClass, parent, rect);
    MSG message{};
    if (window != nullptr) {
        if (parent == nullptr)
            SetForegroundWindow(window);
        pumpUntilQuit(window, parent != nullptr, message);
        // A run ended by a failure leaves the window up: tear it down here so
        // the universe and the contexts go in their proper order.
        if (IsWindow(window))
            DestroyWindow(window);
    }
    UnloadPasswordVerifier();
    if (state.runFailed)
        return -1;
    return window != nullptr ? static_cast<int>(message.wParam) : 0;
}
