#include "host/win32/host_main.h"

#include "host/win32/about_dialog.h"
#include "host/win32/host_state.h"
#include "host/win32/host_system.h"
#include "host/win32/run_saver.h"
#include "host/win32/saver_command.h"
#include "host/win32/win9x_password.h"

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

const wchar_t* nextCharacter(const wchar_t* at) {
    return CharNextW(at);
}

int dispatchMode(const wchar_t* tail) {
    const SaverCommand command = ScanSaverCommand(tail);
    switch (command.kind) {
    case SaverCommandKind::About:
        return ShowAboutBox(nullptr);
    case SaverCommandKind::FullScreen:
        return RunSaver(nullptr);
    case SaverCommandKind::Preview: {
        HWND parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(command.window));
        if (command.window == 0 || !IsWindow(parent))
            return -1;
        return RunSaver(parent);
    }
    case SaverCommandKind::Configure:
        return ShowAboutBox(windowOrForeground(command.window));
    case SaverCommandKind::ChangePassword:
        if (!hostState().on9xFamily)
            return -1;
        ChangePassword(windowOrForeground(command.window));
        return 0;
    case SaverCommandKind::Unknown:
        break;
    }
    return -1;
}

} // namespace

const wchar_t* CommandTail(const wchar_t* commandLine) {
    return SkipProgramName(commandLine, &nextCharacter);
}

void HostEntry() {
    ExitProcess(
        static_cast<UINT>(HostMain(GetModuleHandleW(nullptr), CommandTail(GetCommandLineW()))));
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
