#pragma once

#include <windows.h>

// What the screen-saver runtime asks of the operating system beyond plain
// windowing: the platform family, the password setting and libraries, the
// saver-running flag, the tick count, the cursor, the power line and the
// saver window's OpenGL context. The 9x family's paths are dead on NT-family
// Windows and under Wine, and a context that cannot be bound is rare; behind
// this seam a fake system drives them in tests.
class HostSystem {
public:
    virtual ~HostSystem() = default;

    // GetVersionExW succeeded and reported the 9x family.
    virtual bool isWin9xFamily() = 0;
    // "ScreenSaveUsePassword" under HKCU "Control Panel\Desktop"; false when the
    // key or the value cannot be read.
    virtual bool readUsePassword(DWORD& value) = 0;
    virtual HMODULE loadLibrary(const wchar_t* name) = 0;
    virtual FARPROC findEntry(HMODULE module, const char* name) = 0;
    virtual void freeLibrary(HMODULE module) = 0;
    // SPI_SETSCREENSAVERRUNNING.
    virtual void setScreenSaverRunning(bool running) = 0;
    virtual DWORD tickCount() = 0;
    virtual POINT cursorPosition() = 0;
    // ACLineStatus, or 255 when the power status cannot be read.
    virtual BYTE acLineStatus() = 0;

    // wglCreateContext: null when none can be made.
    virtual HGLRC createGLContext(HDC dc) = 0;
    // wglMakeCurrent for the calling thread; a null context releases the
    // thread's. The one member called on the simulation thread.
    virtual bool makeGLContextCurrent(HDC dc, HGLRC context) = 0;
    // wglDeleteContext; the context is current on no thread by then.
    virtual void deleteGLContext(HGLRC context) = 0;
};

// The system in use; the real one unless a test installed another. Not owned.
HostSystem& hostSystem();
void setHostSystem(HostSystem* system); // nullptr restores the real one
