#include "host/win32/wgl_drawing_target.h"

bool WglDrawingTarget::makeCurrent() {
    return wglMakeCurrent(dc_, context_) != FALSE;
}

void WglDrawingTarget::releaseCurrent() {
    wglMakeCurrent(nullptr, nullptr);
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
