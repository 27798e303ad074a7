#include "host/win32/wgl_drawing_target.h"

#include "host/win32/host_system.h"

bool WglDrawingTarget::makeCurrent() {
    return hostSystem().makeGLContextCurrent(dc_, context_);
}

void WglDrawingTarget::releaseCurrent() {
    hostSystem().makeGLContextCurrent(nullptr, nullptr);
}

void WglDrawingTarget::present() {
    SwapBuffers(dc_);
}

int WglDrawingTarget::width() const {
    RECT client{};
    GetClientRect(window_, &client);
    return client.right - client.left;
}

int WglDrawingTarget::height() const {
    RECT client{};
    GetClientRect(window_, &client);
    return client.bottom - client.top;
}
