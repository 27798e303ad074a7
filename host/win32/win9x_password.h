#pragma once

#include <windows.h>

// The 9x family's screen-saver password. Every operation here does nothing
// unless the runtime found itself on that family.

// Loads the verifier when "ScreenSaveUsePassword" is set; a verifier that
// loads also raises the saver-running flag. A missing key, value, library or
// entry point means no password.
void LoadPasswordVerifier();
// Releases the verifier (and lowers the saver-running flag if one was known).
void UnloadPasswordVerifier();
void SetSaverRunning(bool running);
// The system's password-change dialog for the provider "SCRSAVE"; its result
// is ignored and a missing library is silently skipped.
void ChangePassword(HWND window);
