// The runtime's closing rules, power handling, command-line scanning and the
// 9x family's password paths, and the saver's context and universe around a
// window's life, run in-process against a fake system. The window under test
// is a plain hidden window whose procedure is the runtime's (installed after
// creation, so only a WM_CREATE sent by a test makes a context and a universe).
#include <gtest/gtest.h>

#include "host/win32/host_default_proc.h"
#include "host/win32/host_main.h"
#include "host/win32/host_state.h"
#include "host/win32/host_system.h"
#include "host/win32/host_window_proc.h"
#include "host/win32/saver_command.h"
#include "host/win32/saver_window_proc.h"
#include "host/win32/win9x_password.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

struct FakeSystem final : HostSystem {
    bool win9x = false;
    DWORD usePassword = 0;
    bool verifierPresent = true;
    std::vector<std::wstring> loaded;
    int freed = 0;
    std::vector<bool> runningFlags;
    DWORD ticks = 10000;
    POINT cursor{100, 100};
    BYTE acLine = 1;
    bool failing = false;
    // The context is real; binding it (on the simulation thread) can be refused.
    bool bindsRefused = false;
    std::atomic<int> binds{0};
    HGLRC created = nullptr;
    bool deleted = false;
    DWORD deleteError = 0;

    bool isWin9xFamily() override { return win9x; }
    bool readUsePassword(DWORD& value) override {
        value = usePassword;
        return true;
    }
    HMODULE loadLibrary(const wchar_t* name) override {
        if (failing)
            throw new int(1);
        loaded.emplace_back(name);
        return reinterpret_cast<HMODULE>(static_cast<UINT_PTR>(0x1000 * loaded.size()));
    }
    FARPROC findEntry(HMODULE, const char* name) override;
    void freeLibrary(HMODULE) override { ++freed; }
    void setScreenSaverRunning(bool running) override { runningFlags.push_back(running); }
    DWORD tickCount() override { return ticks; }
    POINT cursorPosition() override {
        if (failing)
            throw new int(2);
        return cursor;
    }
    BYTE acLineStatus() override { return acLine; }
    HGLRC createGLContext(HDC dc) override { return created = wglCreateContext(dc); }
    bool makeGLContextCurrent(HDC dc, HGLRC context) override {
        if (context == nullptr)
            return wglMakeCurrent(nullptr, nullptr) != FALSE;
        const bool bound = !bindsRefused && wglMakeCurrent(dc, context) != FALSE;
        ++binds;
        return bound;
    }
    void deleteGLContext(HGLRC context) override {
        deleted = wglDeleteContext(context) != FALSE;
        deleteError = GetLastError();
    }
};

HWND window = nullptr;

// True if a WM_CLOSE was posted to the window (and removes it).
bool takeClose() {
    MSG message;
    return PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
}

LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(window, message, wParam, lParam);
}

int verifyCalls = 0;
BOOL verifyAnswer = FALSE;
bool closePostedDuringVerify = false;

BOOL WINAPI fakeVerify(HWND) {
    ++verifyCalls;
    // The user types while the password dialog is up.
    send(WM_KEYDOWN, 'A');
    send(WM_LBUTTONDOWN);
    closePostedDuringVerify = takeClose();
    return verifyAnswer;
}

std::wstring changedProvider;
HWND changedWindow = nullptr;
DWORD WINAPI fakeChangePassword(LPCWSTR provider, HWND parent, DWORD, LPVOID) {
    changedProvider = provider;
    changedWindow = parent;
    return 0;
}

FARPROC FakeSystem::findEntry(HMODULE, const char* name) {
    if (std::string(name) == "VerifyScreenSavePwd" && verifierPresent)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&fakeVerify));
    if (std::string(name) == "PwdChangePasswordW")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&fakeChangePassword));
    return nullptr;
}

class HostRuntime : public ::testing::Test {
protected:
    void SetUp() override {
        setHostSystem(&system);
        resetHostState();
        verifyCalls = 0;
        verifyAnswer = FALSE;
        window = CreateWindowExW(0, L"STATIC", L"test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowProc));
    }
    void TearDown() override {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
        DestroyWindow(window); // the runtime's WM_DESTROY would post a quit
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        UnloadPasswordVerifier();
        setHostSystem(nullptr);
        resetHostState();
    }

    void become9xWithPassword() {
        system.win9x = true;
        system.usePassword = 1;
        hostState().on9xFamily = true;
        LoadPasswordVerifier();
    }

    FakeSystem system;
};

TEST(CommandLineScan, SkipsTheProgramNameAndReadsDecimalWindowNumbersWrappingAt32Bits) {
    EXPECT_STREQ(CommandTail(L"\"C:\\Program Files\\veltrane.scr\" /s"), L"/s");
    EXPECT_STREQ(CommandTail(L"veltrane.scr\t\r\n/c"), L"/c");
    EXPECT_STREQ(CommandTail(L"\"unterminated /s"), L"");
    EXPECT_STREQ(CommandTail(L"veltrane.scr"), L"");
    EXPECT_EQ(ParseWindowHandle(L"42 junk"), 42u);
    EXPECT_EQ(ParseWindowHandle(L":42"), 0u);
    EXPECT_EQ(ParseWindowHandle(L"4294967297"), 1u);
}

TEST_F(HostRuntime, PasswordModeOn9xChangesTheScreenSaverPasswordAndReturnsZero) {
    system.win9x = true;
    const std::wstring tail = L"/a " + std::to_wstring(reinterpret_cast<UINT_PTR>(window));
    EXPECT_EQ(HostMain(GetModuleHandleW(nullptr), tail.c_str()), 0);
    EXPECT_EQ(changedProvider, L"SCRSAVE");
    EXPECT_EQ(changedWindow, window);
    EXPECT_EQ(system.loaded, (std::vector<std::wstring>{L"MPR.DLL"}));
    EXPECT_EQ(system.freed, 1);
}

TEST_F(HostRuntime, DeactivationCriticalResumeMonitorPowerAndMostPowerBroadcastsClose) {
    const struct {
        UINT message;
        WPARAM wParam;
        bool closes;
    } events[] = {{WM_ACTIVATEAPP, TRUE, false},
                  {WM_ACTIVATEAPP, FALSE, true},
                  {WM_POWER, 1, false},
                  {WM_POWER, 3, true},
                  {WM_SYSCOMMAND, SC_MONITORPOWER, true}};
    for (const auto& e : events) {
        send(e.message, e.wParam, 2);
        EXPECT_EQ(takeClose(), e.closes) << e.message << " " << e.wParam;
    }

    hostState().power.acLineStatus = 1;
    for (WPARAM event = 0; event <= 24; ++event) {
        if (event == PBT_APMPOWERSTATUSCHANGE)
            continue;
        const bool resume = event == 6 || event == 7 || event == 8 || event == 18;
        send(WM_POWERBROADCAST, event, 0);
        EXPECT_TRUE(takeClose()) << "event " << event;
        send(WM_POWERBROADCAST, event, 1);
        EXPECT_EQ(takeClose(), !resume) << "event " << event << " with the failure flag";
    }
    send(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_FALSE(takeClose()) << "line power did not change";
    system.acLine = 0;
    send(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_TRUE(takeClose());
    send(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_FALSE(takeClose()) << "the new status was not remembered";
}

TEST_F(HostRuntime, FullScreenHidesTheCursorWhilePreviewKeepsItAndIgnoresEveryClosingRule) {
    HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    SetCursor(arrow);
    EXPECT_EQ(send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT), TRUE);
    EXPECT_EQ(GetCursor(), nullptr);

    hostState().rules.inPreview = true;
    SetCursor(arrow);
    system.cursor = {300, 300};
    for (UINT message :
         {UINT{WM_KEYDOWN}, UINT{WM_LBUTTONDOWN}, UINT{WM_MOUSEMOVE}, UINT{WM_ACTIVATEAPP}})
        send(message);
    send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT);
    send(WM_SHOWWINDOW, TRUE);
    send(WM_POWERBROADCAST, PBT_APMSUSPEND);
    send(WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    EXPECT_FALSE(takeClose());
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(HostRuntime, PasswordVerifierLoadsOnlyOn9xWithTheSettingAndRaisesTheRunningFlag) {
    system.usePassword = 1;
    LoadPasswordVerifier(); // not 9x
    hostState().on9xFamily = true;
    system.usePassword = 0;
    LoadPasswordVerifier();
    EXPECT_TRUE(system.loaded.empty());

    system.usePassword = 1;
    system.verifierPresent = false;
    LoadPasswordVerifier();
    EXPECT_EQ(hostState().password.passwordLibrary, nullptr);
    EXPECT_EQ(system.freed, 1) << "a library without the entry point is released";

    system.verifierPresent = true;
    LoadPasswordVerifier();
    ASSERT_NE(hostState().password.verifyPassword, nullptr);
    EXPECT_EQ(system.loaded.back(), L"PASSWORD.CPL");
    UnloadPasswordVerifier();
    EXPECT_EQ(hostState().password.verifyPassword, nullptr);
    EXPECT_EQ(system.runningFlags, (std::vector<bool>{true, false}));
}

TEST_F(HostRuntime, RefusedPasswordKeepsTheSaverAndRetriesWithin200MsAreRefusedSilently) {
    become9xWithPassword();
    system.cursor = {150, 120};
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_EQ(verifyCalls, 1);
    EXPECT_FALSE(closePostedDuringVerify) << "input during the password request posted a close";
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(hostState().rules.closing);
    EXPECT_EQ(hostState().rules.input.anchor(), std::make_pair(150, 120));

    system.ticks += 199;
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_EQ(verifyCalls, 1) << "asked again within 200 ms";

    system.ticks += 1;
    verifyAnswer = TRUE;
    // The accepted close goes on to destroy the window; keep ours.
    EXPECT_TRUE(VerifyBeforeClose(window));
    EXPECT_EQ(verifyCalls, 2);
    EXPECT_TRUE(hostState().rules.closing);
}

TEST_F(HostRuntime, VerifyAndAutoPlayAnswersFollowWhetherA9xVerifierIsLoaded) {
    hostState().on9xFamily = true;
    hostState().rules.autoPlayMessage = RegisterWindowMessageW(L"QueryCancelAutoPlay");
    EXPECT_EQ(send(VerifyMessage), 1) << "no verifier: the close may go on";
    EXPECT_EQ(send(hostState().rules.autoPlayMessage), 0);
    EXPECT_TRUE(takeClose());
    hostState().password.checkingPassword = true;
    EXPECT_FALSE(VerifyBeforeClose(window)) << "a close while the password is asked for";
    hostState().password.checkingPassword = false;
    EXPECT_TRUE(VerifyBeforeClose(window));

    hostState().rules.closing = false;
    become9xWithPassword();
    EXPECT_EQ(send(hostState().rules.autoPlayMessage), 1);
    EXPECT_TRUE(takeClose());
    EXPECT_EQ(send(VerifyMessage), 0);
    verifyAnswer = TRUE;
    EXPECT_EQ(send(VerifyMessage), 1);
}

void expectQuitWithMinusOne() {
    EXPECT_TRUE(hostState().runFailed);
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(static_cast<int>(quit.wParam), -1);
}

TEST_F(HostRuntime, ExceptionsAtTheWindowProcedureOrOutOfTheModeEndTheRunWithMinusOne) {
    system.failing = true;
    send(WM_MOUSEMOVE);
    expectQuitWithMinusOne();
    system.win9x = true;
    EXPECT_EQ(HostMain(GetModuleHandleW(nullptr), L"/a"), -1);
    EXPECT_EQ(system.runningFlags, (std::vector<bool>{false}));
}

TEST_F(HostRuntime, ARunThatCannotDrawTurnsBlackAndStaysUpUntilItsClosingRulesEndIt) {
    system.bindsRefused = true;
    ShowWindow(window, SW_SHOWNOACTIVATE); // a hidden window has nothing to repaint
    send(WM_CREATE);
    ValidateRect(window, nullptr);
    RECT dirty{};
    bool repainted = false;
    for (const DWORD start = GetTickCount(); !repainted && GetTickCount() - start < 15000;) {
        Sleep(10);
        send(WM_TIMER, SimulationWatchTimer);
        repainted = GetUpdateRect(window, &dirty, FALSE) != FALSE;
    }
    EXPECT_TRUE(repainted) << "not repainted black";
    EXPECT_GT(system.binds.load(), 0);
    send(WM_TIMER, SimulationWatchTimer);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(hostState().runFailed);
    MSG quit{};
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the saver ended itself";
    send(WM_KEYDOWN, 'A');
    EXPECT_TRUE(takeClose()) << "a key no longer closes the black saver";
    send(WM_DESTROY);
}

TEST_F(HostRuntime, APreviewWhoseParentIsGoneEndsWithZeroWhileAFullScreenSaverStays) {
    send(WM_TIMER, SimulationWatchTimer);
    EXPECT_TRUE(IsWindow(window)) << "a full-screen saver has no parent to lose";
    hostState().rules.inPreview = true;
    send(WM_TIMER, SimulationWatchTimer);
    EXPECT_FALSE(IsWindow(window));
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(static_cast<int>(quit.wParam), 0);
    EXPECT_FALSE(hostState().runFailed);
}

TEST_F(HostRuntime, TheSimulationThreadLetsGoOfTheContextSoTheWindowThreadCanDeleteIt) {
    send(WM_CREATE); // the saver's own creation: context, drawing target, universe
    ASSERT_NE(system.created, nullptr);
    for (const DWORD start = GetTickCount();
         system.binds.load() == 0 && GetTickCount() - start < 15000;)
        Sleep(10);
    ASSERT_GT(system.binds.load(), 0) << "the simulation thread never bound the context";
    send(WM_DESTROY);
    // A context still current on the ended thread cannot be deleted here
    // (ERROR_BUSY), and would stay allocated.
    EXPECT_TRUE(system.deleted) << "error " << system.deleteError;
}

} // namespace
