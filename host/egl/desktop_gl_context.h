#pragma once

#include <EGL/egl.h>

#include <optional>
#include <string>

// The GL the renderer needs, on any EGL platform: desktop OpenGL (not GLES) in
// a compatibility-profile context, so the fixed-function OpenGL 1.1 and GLU
// calls run unchanged, with 8-bit RGB and a 24-bit depth buffer.
struct DesktopGlContext {
    EGLConfig config = nullptr;
    EGLContext context = EGL_NO_CONTEXT;
};

// On an initialized `display`: binds desktop OpenGL for the calling thread,
// chooses a config whose surfaces can be of `surfaceType` (EGL_PBUFFER_BIT,
// EGL_WINDOW_BIT), and creates the context without making it current.
// `surfaceName` says what such a surface is, for the message ("an RGB
// pbuffer"). Nullopt with a message in `error` when any step fails; nothing is
// left to free then.
std::optional<DesktopGlContext> createDesktopGlContext(EGLDisplay display, EGLint surfaceType,
                                                       const char* surfaceName, std::string& error);

// Whether the space-separated extension `list` (may be null) names `name`.
bool hasEglExtension(const char* list, const char* name);

// `what` followed by the calling thread's last EGL error code.
std::string eglErrorText(const char* what);
