#pragma once

#include <windows.h>

// Full screen (no parent) or preview inside `parent`; the loop's quit code.
int RunSaver(HWND parent);
// Configure mode: the modal about box over `parent`; its result.
int ShowAboutBox(HWND parent);
