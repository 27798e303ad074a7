#include "host/win32/saver_window_proc.h"

#include "host/win32/host_state.h"
#include "host/win32/host_window_proc.h"
#include "host/win32/wgl_drawing_target.h"
#include "kernel/universe.h"
#include "render/saver_model.h"

#include <memory>
#include <string>

namespace {

HDC deviceContext = nullptr;
HGLRC renderingContext = nullptr;
bool deviceContextHeld = false;
std::unique_ptr<WglDrawingTarget> target;
// Raw: the universe's destructor may throw, which no smart pointer's reset
// may let pass.
NS_Universe::Universe* universe = nullptr;

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
    renderingContext = wglCreateContext(deviceContext);
    if (renderingContext == nullptr) {
        MessageBoxW(window, L"Screen saver can't set an appropriate OpenGL mode", L"Open GL error",
                    MB_OK);
        PostQuitMessage(-1);
        return;
    }
    target = std::make_unique<WglDrawingTarget>(window, deviceContext, renderingContext);
    setDrawingTarget(target.get());
    CreateUniverse();
    SetTimer(window, SimulationWatchTimer, SimulationWatchPeriodMs, nullptr);
}

// Once, on whichever of WM_CLOSE and WM_DESTROY comes first. The universe,
// and with it the thread that has the context current, is gone before the
// context is deleted.
void releaseContext(HWND window) {
    KillTimer(window, SimulationWatchTimer);
    DestroyUniverse();
    if (renderingContext != nullptr) {
        wglDeleteContext(renderingContext);
        renderingContext = nullptr;
    }
    setDrawingTarget(nullptr);
    target.reset();
    if (deviceContextHeld) {
        ReleaseDC(window, deviceContext);
        deviceContextHeld = false;
        deviceContext = nullptr;
    }
}

} // namespace

void CreateUniverse() {
    NS_Universe::RunOptions options;
    // The Loader made the context current on the simulation thread; a context
    // still current there when the thread ends cannot be deleted by the window
    // thread (ERROR_BUSY) and would never be freed.
    options.onThreadEnd = [] {
        if (DrawingTarget* current = drawingTarget())
            current->releaseCurrent();
    };
    universe = new NS_Universe::Universe(saverModel(), options);
}

void DestroyUniverse() {
    // Let go of the pointer first: a universe whose destruction throws is not
    // destroyed twice.
    NS_Universe::Universe* ending = universe;
    universe = nullptr;
    delete ending;
}

NS_Universe::Universe* currentUniverse() {
    return universe;
}

HDC saverDC() {
    return deviceContext;
}

HGLRC saverGLContext() {
    return renderingContext;
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
        // A simulation that died leaves a frozen picture over the desktop;
        // end the run instead.
        if (wParam == SimulationWatchTimer && universe != nullptr && universe->simulationFailed()) {
            KillTimer(window, SimulationWatchTimer);
            // A saver has no console and shows no box for this; the debugger
            // channel is where a developer (or DebugView) can read what failed.
            const std::string what =
                "veltrane: the simulation stopped: " + universe->failureMessage() + "\n";
            OutputDebugStringA(what.c_str());
            DestroyUniverse();
            failRun();
            return 0;
        }
        break;
    default:
        break;
    }
    return HostDefaultProc(window, message, wParam, lParam);
}
