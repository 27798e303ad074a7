#include "host/win32/host_system.h"

namespace {

class Win32HostSystem final : public HostSystem {
public:
    bool isWin9xFamily() override {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        const BOOL ok = GetVersionExW(&info);
#pragma GCC diagnostic pop
        return ok && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    }

    bool readUsePassword(DWORD& value) override {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) !=
            ERROR_SUCCESS)
            return false;
        DWORD data = 0;
        DWORD size = sizeof data;
        const LONG status = RegQueryValueExW(key, L"ScreenSaveUsePassword", nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(&data), &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS)
            return false;
        value = data;
        return true;
    }

    HMODULE loadLibrary(const wchar_t* name) override {
        return LoadLibraryW(name);
    }
    FARPROC findEntry(HMODULE module, const char* name) override {
        return GetProcAddress(module, name);
    }
    void freeLibrary(HMODULE module) override {
        FreeLibrary(module);
    }

    void setScreenSaverRunning(bool running) override {
        UINT previous = 0;
        SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? 1u : 0u, &previous, 0);
    }

    DWORD tickCount() override {
        return GetTickCount();
    }

    POINT cursorPosition() override {
        POINT point{};
        GetCursorPos(&point);
        return point;
    }

    BYTE acLineStatus() override {
        SYSTEM_POWER_STATUS status{};
        return GetSystemPowerStatus(&status) ? status.ACLineStatus : BYTE{255};
    }

    HGLRC createGLContext(HDC dc) override {
        return wglCreateContext(dc);
    }
    bool makeGLContextCurrent(HDC dc, HGLRC context) override {
        return wglMakeCurrent(dc, context) != FALSE;
    }
    void deleteGLContext(HGLRC context) override {
        wglDeleteContext(context);
    }
};

Win32HostSystem realSystem;
HostSystem* current = &realSystem;

} // namespace

HostSystem& hostSystem() {
    return *current;
}

void setHostSystem(HostSystem* system) {
    current = system != nullptr ? system : &realSystem;
}
