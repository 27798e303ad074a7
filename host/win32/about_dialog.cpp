#include "host/win32/about_dialog.h"

#include "host/win32/host_state.h"

bool PrepareDialogClasses(HINSTANCE) {
    return true;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

int ShowAboutBox(HWND parent) {
    const HINSTANCE instance = hostState().instance;
    if (!PrepareDialogClasses(instance))
        return 0;
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(AboutDialogResource), parent,
                                            AboutDialogProc, 0));
}
