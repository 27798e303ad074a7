#include "host/headless/egl_target.h"

#include "host/egl/desktop_gl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>

std::unique_ptr<EglTarget> EglTarget::create(int width, int height, std::string& error) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasEglExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        error = "no EGL display: EGL_MESA_platform_surfaceless is not available "
                "(install libegl-mesa0)";
        return nullptr;
    }
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        error = "no EGL display: eglGetPlatformDisplayEXT is missing";
        return nullptr;
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || eglInitialize(display, &major, &minor) != EGL_TRUE) {
        error = eglErrorText("no EGL display on Mesa's surfaceless platform");
        return nullptr;
    }

    std::unique_ptr<EglTarget> target(new EglTarget());
    target->display_ = display;
    target->width_ = width;
    target->height_ = height;

    const std::optional<DesktopGlContext> gl =
        createDesktopGlContext(display, EGL_PBUFFER_BIT, "an RGB pbuffer", error);
    if (!gl)
        return nullptr;
    target->context_ = gl->context;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    target->surface_ = eglCreatePbufferSurface(display, gl->config, surfaceAttributes);
    if (target->surface_ == EGL_NO_SURFACE) {
        error = eglErrorText("EGL cannot create the pbuffer");
        return nullptr;
    }
    return target;
}

EglTarget::~EglTarget() {
    if (display_ == nullptr)
        return;
    if (context_ != nullptr)
        eglDestroyContext(display_, context_);
    if (surface_ != nullptr)
        eglDestroySurface(display_, surface_);
    eglTerminate(display_);
    eglReleaseThread();
}

bool EglTarget::makeCurrent() {
    return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
}

void EglTarget::present() {
    // A pbuffer has nothing to show: presenting a frame means handing it to whoever
    // keeps it. eglSwapBuffers would be a no-op here.
    ++frames_;
    if (onFrame_)
        onFrame_(*this, frames_);
}

std::vector<std::uint8_t> EglTarget::readRgb() const {
    const std::size_t row = static_cast<std::size_t>(width_) * 3;
    std::vector<std::uint8_t> bottomUp(row * static_cast<std::size_t>(height_));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < height_; ++y)
        std::memcpy(topDown.data() + static_cast<std::size_t>(y) * row,
                    bottomUp.data() + static_cast<std::size_t>(height_ - 1 - y) * row, row);
    return topDown;
}

void EglTarget::releaseCurrent() {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

std::string EglTarget::rendererName() {
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return name == nullptr ? std::string() : std::string(name);
}
