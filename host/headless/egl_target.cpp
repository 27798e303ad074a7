#include "host/headless/egl_target.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

namespace {
std::string eglErrorText(const char* what) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04x", static_cast<unsigned>(eglGetError()));
    return std::string(what) + " (EGL error " + code + ")";
}

bool hasExtension(const char* list, const char* name) {
    if (list == nullptr)
        return false;
    const std::size_t n = std::strlen(name);
    for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + 1, name)) {
        const bool startOk = p == list || p[-1] == ' ';
        const bool endOk = p[n] == '\0' || p[n] == ' ';
        if (startOk && endOk)
            return true;
    }
    return false;
}
} // namespace

std::unique_ptr<EglTarget> EglTarget::create(int width, int height, std::string& error) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
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

    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        error = eglErrorText("EGL cannot bind desktop OpenGL");
        return nullptr;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (eglChooseConfig(display, configAttributes, &config, 1, &count) != EGL_TRUE || count < 1) {
        error = eglErrorText("no EGL config with an RGB pbuffer, depth buffer and OpenGL");
        return nullptr;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    target->surface_ = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (target->surface_ == EGL_NO_SURFACE) {
        error = eglErrorText("EGL cannot create the pbuffer");
        return nullptr;
    }
    // The fixed-function pipeline the Loader uses needs the compatibility profile.
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    target->context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (target->context_ == EGL_NO_CONTEXT) {
        error = eglErrorText("EGL cannot create an OpenGL compatibility context");
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
