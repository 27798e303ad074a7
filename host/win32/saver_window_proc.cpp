#include "host/win32/saver_window_proc.h"

#include "host/common/exit_status.h"
#include "host/win32/host_default_proc.h"
#include "host/win32/host_state.h"
#include "host/win32/host_system.h"
#include "host/win32/wgl_drawing_target.h"
#include "render/saver_run.h"

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

HDC deviceContext = nullptr;
HGLRC renderingContext = nullptr;
bool deviceContextHeld = false;
std::unique_ptr<WglDrawingTarget> target;
std::unique_ptr<SaverRun> run;
// The run could not draw or its simulation failed, and that has been noted.
bool blackNoted = false;

PIXELFORMATDESCRIPTOR saverPixelFormat() {
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    format.cAlphaBits = 16;
    format.cDepthBits = 8;
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

void createContext(HWND window) {
    deviceContext = GetDC(window);
    deviceContextHeld = deviceContext != nullptr;
    const PIXELFORMATDESCRIPTOR format = saverPixelFormat();
    const int chosen = ChoosePixelFormat(deviceContext, &format);
    SetPixelFormat(deviceContext, chosen, &format);
    renderingContext = hostSystem().createGLContext(deviceContext);
    if (renderingContext == nullptr) {
        // The text is plain ASCII: widening each character is exact.
        const std::string text = noOpenGlText;
        MessageBoxW(window, std::wstring(text.begin(), text.end()).c_str(), L"Open GL error",
                    MB_OK);
        PostQuitMessage(-1);
        return;
    }
    target = std::make_unique<WglDrawingTarget>(window, deviceContext, renderingContext);
    CreateUniverse();
    SetTimer(window, SimulationWatchTimer, SimulationWatchPeriodMs, nullptr);
}

// Once, on whichever of WM_CLOSE and WM_DESTROY comes first. The universe,
// and with it the thread that has the context current, is gone before the
// context is deleted.
void releaseContext(HWND window) {
    KillTimer(window, SimulationWatchTimer);
    std::exception_ptr teardownFailure;
    try {
        DestroyUniverse();
    } catch (...) {
        teardownFailure = std::current_exception();
    }
    if (renderingContext != nullptr) {
        hostSystem().deleteGLContext(renderingContext);
        renderingContext = nullptr;
    }
    target.reset();
    if (deviceContextHeld) {
        ReleaseDC(window, deviceContext);
        deviceContextHeld = false;
        deviceContext = nullptr;
    }
    // After the context and device context are given back: the host's guard
    // ends the run with -1.
    if (teardownFailure)
        std::rethrow_exception(teardownFailure);
}

// A run that cannot draw, or whose simulation died, would leave a frozen
// picture over the desktop; ending it unasked would give the desktop back
// without the password. The saver turns black instead (the class's brush
// paints it once the window is invalidated) and closes by its usual rules.
void noteBlackRun(HWND window) {
    if (blackNoted || run == nullptr || !(run->failed() || run->cannotDraw()))
        return;
    blackNoted = true;
    // A saver has no console and shows no box for this; the debugger channel
    // is where a developer (or DebugView) can read what failed.
    const std::string what =
        run->failed() ? "veltrane: the simulation stopped: " + run->failureMessage() + "\n"
                      : std::string("veltrane: the OpenGL context cannot be bound\n");
    OutputDebugStringA(what.c_str());
    InvalidateRect(window, nullptr, TRUE);
}

// True when the window went away. A preview whose parent's process was
// killed is not always destroyed with the parent (Wine), so the run ends
// itself as for a destroyed parent.
bool watch(HWND window) {
    noteBlackRun(window);
    if (!hostState().rules.inPreview)
        return false;
    HWND parent = GetParent(window);
    if (parent != nullptr && IsWindow(parent))
        return false;
    DestroyWindow(window);
    return true;
}

} // namespace

void CreateUniverse() {
    SaverRunSetup setup;
    setup.target = target.get();
    blackNoted = false;
    run = std::make_unique<SaverRun>(setup);
}

void DestroyUniverse() {
    // Let go of the pointer first: a run whose teardown fails is not torn
    // down twice.
    std::unique_ptr<SaverRun> ending = std::move(run);
    if (ending != nullptr && !ending->finish())
        throw std::runtime_error("the saver's teardown failed: " + ending->teardownError());
}

LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        createContext(window);
        break;
    case WM_CLOSE:
    case WM_DESTROY:
        releaseContext(window);
        break;
    case WM_TIMER:
        if (wParam == SimulationWatchTimer && watch(window))
            return 0;
        break;
    default:
        break;
    }
    return HostDefaultProc(window, message, wParam, lParam);
}
