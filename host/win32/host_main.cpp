#include "host/win32/host_main.h"

#include "host/win32/host_state.h"
#include "host/win32/host_system.h"
#include "host/win32/password_verifier.h"

#include <commctrl.h>

namespace {

// MinGW has no structured exception guard. A fault anywhere in the process
// (window thread or simulation thread) ends it here with -1, after lowering
// the saver-running flag, so the desktop comes back.
LONG WINAPI faultFilter(EXCEPTION_POINTERS*) {
    SetSaverRunning(false);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
    return EXCEPTION_EXECUTE_HANDLER;
}

HWND windowOrForeground(UINT number) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
    if (number == 0 || !IsWindow(window))
        return GetForegroundWindow();
    return window;
}

const wchar_t* skipSpaces(const wchar_t* at) {
    while (*at == L' ')
        ++at;
    return at;
}

int dispatchMode(const wchar_t* at) {
    for (;;) {
        const wchar_t letter = *at;
        switch (letter) {
        case L' ':
        case L'-':
        case L'/':
            ++at;
            continue;
        case L'\0':
            return ShowAboutBox(nullptr);
        case L'S':
        case L's':
            return RunSaver(nullptr);
        case L'P':
        case L'p':
        case L'L':
        case L'l': {
            const UINT number = ParseWindowHandle(skipSpaces(at + 1));
            HWND parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
            if (number == 0 || !IsWindow(parent))
                return -1;
            return RunSaver(parent);
        }
        case L'C':
        case L'c': {
            ++at;
            UINT number = 0;
            if (*at == L':')
                number = ParseWindowHandle(at + 1);
            return ShowAboutBox(windowOrForeground(number));
        }
        case L'A':
        case L'a': {
            if (!hostState().on9xFamily)
                return -1;
            ChangePassword(windowOrForeground(ParseWindowHandle(skipSpaces(at + 1))));
            return 0;
        }
        default:
            return -1;
        }
    }
}

} // namespace

const wchar_t* CommandTail(const wchar_t* commandLine) {
    const wchar_t* at = commandLine;
    if (*at == L'"') {
        do {
            at = CharNextW(at);
        } while (*at != L'\0' && *at != L'"');
        if (*at == L'"')
            at = CharNextW(at);
    } else {
        while (*at > L' ')
            at = CharNextW(at);
    }
    while (*at >= 1 && *at <= L' ')
        ++at;
    return at;
}

void HostEntry() {
    ExitProcess(
        static_cast<UINT>(HostMain(GetModuleHandleW(nullptr), CommandTail(GetCommandLineW()))));
}

UINT ParseWindowHandle(const wchar_t* position) {
    UINT value = 0;
    for (const wchar_t* at = position; *at >= L'0' && *at <= L'9'; ++at)
        value = value * 10u + static_cast<UINT>(*at - L'0');
    return value;
}

int HostMain(HINSTANCE instance, const wchar_t* tail) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES;
    InitCommonControlsEx(&controls);
    resetHostState();
    hostState().instance = instance;
    hostState().on9xFamily = hostSystem().isWin9xFamily();

    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(&faultFilter);
    int result = -1;
    try {
        result = dispatchMode(tail);
    } catch (...) {
        SetSaverRunning(false);
        result = -1;
    }
    SetUnhandledExceptionFilter(previous);
    return result;
}
