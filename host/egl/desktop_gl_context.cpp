#include "host/egl/desktop_gl_context.h"

#include <cstdio>
#include <cstring>

std::string eglErrorText(const char* what) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04x", static_cast<unsigned>(eglGetError()));
    return std::string(what) + " (EGL error " + code + ")";
}

bool hasEglExtension(const char* list, const char* name) {
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

std::optional<DesktopGlContext> createDesktopGlContext(EGLDisplay display, EGLint surfaceType,
                                                       const char* surfaceName,
                                                       std::string& error) {
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        error = eglErrorText("EGL cannot bind desktop OpenGL");
        return std::nullopt;
    }
    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE, surfaceType, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE,     8,           EGL_GREEN_SIZE,      8,
        EGL_BLUE_SIZE,    8,           EGL_DEPTH_SIZE,      24,
        EGL_NONE};
    DesktopGlContext made;
    EGLint count = 0;
    if (eglChooseConfig(display, configAttributes, &made.config, 1, &count) != EGL_TRUE ||
        count < 1) {
        error = eglErrorText(
            (std::string("no EGL config with ") + surfaceName + ", depth buffer and OpenGL")
                .c_str());
        return std::nullopt;
    }
    // The fixed-function pipeline the Loader uses needs the compatibility profile.
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    made.context = eglCreateContext(display, made.config, EGL_NO_CONTEXT, contextAttributes);
    if (made.context == EGL_NO_CONTEXT) {
        error = eglErrorText("EGL cannot create an OpenGL compatibility context");
        return std::nullopt;
    }
    return made;
}
