#include "host/win32/about_dialog.h"

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
