#include "host/win32/win9x_password.h"

#include "host/win32/host_state.h"
#include "host/win32/host_system.h"

namespace {

using ChangePasswordProc = DWORD(WINAPI*)(LPCWSTR provider, HWND window, DWORD reserved1,
                                          LPVOID reserved2);

// An entry point found by name gets the signature its library documents; the
// detour through a plain function pointer type keeps the cast explicit.
template <typename Target> Target entryAs(FARPROC entry) {
    return reinterpret_cast<Target>(reinterpret_cast<void (*)()>(entry));
}

} // namespace

void SetSaverRunning(bool running) {
    if (!hostState().on9xFamily)
        return;
    hostSystem().setScreenSaverRunning(running);
}

void UnloadPasswordVerifier() {
    PasswordState& password = hostState().password;
    if (!hostState().on9xFamily || password.passwordLibrary == nullptr)
        return;
    hostSystem().freeLibrary(password.passwordLibrary);
    password.passwordLibrary = nullptr;
    if (password.verifyPassword != nullptr) {
        password.verifyPassword = nullptr;
        SetSaverRunning(false);
    }
}

void LoadPasswordVerifier() {
    PasswordState& password = hostState().password;
    if (!hostState().on9xFamily)
        return;
    if (password.passwordLibrary != nullptr)
        UnloadPasswordVerifier();
    DWORD usePassword = 0;
    if (!hostSystem().readUsePassword(usePassword) || usePassword == 0)
        return;
    password.passwordLibrary = hostSystem().loadLibrary(L"PASSWORD.CPL");
    if (password.passwordLibrary == nullptr)
        return;
    FARPROC entry = hostSystem().findEntry(password.passwordLibrary, "VerifyScreenSavePwd");
    if (entry != nullptr) {
        password.verifyPassword = entryAs<VerifyPasswordProc>(entry);
        SetSaverRunning(true);
    } else {
        UnloadPasswordVerifier();
    }
}

void ChangePassword(HWND window) {
    HMODULE library = hostSystem().loadLibrary(L"MPR.DLL");
    if (library == nullptr)
        return;
    FARPROC entry = hostSystem().findEntry(library, "PwdChangePasswordW");
    if (entry != nullptr)
        entryAs<ChangePasswordProc>(entry)(L"SCRSAVE", window, 0, nullptr);
    hostSystem().freeLibrary(library);
}
