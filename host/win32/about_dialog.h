#pragma once

#include <windows.h>

// Resource numbers shared with the resource script.
constexpr int AboutDialogResource = 2003;
constexpr int AboutPictureResource = 118;
constexpr int SaverIconResource = 100;

// Called before the about box is shown; the saver registers no classes of its own.
bool PrepareDialogClasses(HINSTANCE instance);

// The about box has no buttons and handles no command: only WM_CLOSE (the
// caption's close button, Alt+F4) ends it, with the result 1.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Configure mode: the modal about box over `parent` (none: no owner); its
// result, or 0 when the dialog classes could not be prepared.
int ShowAboutBox(HWND parent);
