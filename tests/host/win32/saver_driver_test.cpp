// Drives the real veltrane.scr as the system's screen-saver mechanism would:
// starts it with each command line, finds its windows, sends it input and
// power events, and checks how and with which code it ends. Built next to
// the .scr and run under Wine on a virtual display.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* SaverClass = L"WindowsScreenSaverClass";
constexpr DWORD StartTimeoutMs = 15000;
constexpr DWORD EndTimeoutMs = 10000;
// Long enough for a posted close to have run through the saver's teardown.
constexpr DWORD SettleMs = 1500;

std::wstring saverPath() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"veltrane.scr";
}

// Waits on a handle while keeping this thread's windows answering: a preview
// parent lives here, and the saver's child window talks to it.
bool waitPumping(HANDLE handle, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD result =
            MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0)
            return true;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void pump(DWORD ms) {
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    waitPumping(never, ms);
    CloseHandle(never);
}

// One run of the saver; killed if a test leaves it running.
class SaverProcess {
public:
    explicit SaverProcess(const std::wstring& tail) {
        std::wstring commandLine = L"\"" + saverPath() + L"\"" + tail;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process_) != FALSE;
    }
    ~SaverProcess() {
        if (!started_)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    bool started() const { return started_; }
    DWORD id() const { return process_.dwProcessId; }

    // The exit code if the process ends within the timeout.
    std::optional<int> exitCode(DWORD timeoutMs = EndTimeoutMs) {
        if (!waitPumping(process_.hProcess, timeoutMs))
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<int>(code);
    }
    bool running() { return !exitCode(0).has_value(); }

    // A top-level window of this process with the given class (and title).
    HWND waitForWindow(const wchar_t* className, const wchar_t* title = nullptr) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < StartTimeoutMs) {
            if (HWND found = findWindow(className, title))
                return found;
            if (!running())
                return nullptr;
            pump(100);
        }
        return nullptr;
    }

    HWND findWindow(const wchar_t* className, const wchar_t* title) const {
        struct Search {
            DWORD process;
            const wchar_t* className;
            const wchar_t* title;
            HWND found;
        } search{id(), className, title, nullptr};
        EnumWindows(
            [](HWND window, LPARAM argument) -> BOOL {
                auto* s = reinterpret_cast<Search*>(argument);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t text[256] = {};
                GetClassNameW(window, text, 256);
                if (owner != s->process || std::wstring(text) != s->className)
                    return TRUE;
                GetWindowTextW(window, text, 256);
                if (s->title != nullptr && std::wstring(text) != s->title)
                    return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

std::string narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text)
        result += static_cast<char>(c);
    return result;
}

std::wstring windowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::wstring className(HWND window) {
    wchar_t text[256] = {};
    GetClassNameW(window, text, 256);
    return text;
}

int countSaverWindows() {
    int count = 0;
    EnumWindows(
        [](HWND window, LPARAM argument) -> BOOL {
            if (className(window) == SaverClass)
                ++*reinterpret_cast<int*>(argument);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// Pixels of the screen that are not black, sampled on a 4-pixel grid.
long litScreenPixels() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    long lit = 0;
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; y < height; y += 4)
        for (int x = 0; x < width; x += 4)
            if ((pixels[y * width + x] & 0x00F0F0F0u) != 0)
                ++lit;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return lit;
}

// The saver measures mouse travel from where the cursor was when its window
// appeared; every full-screen run starts with the cursor here.
constexpr POINT Anchor{400, 300};

struct FullScreenRun {
    SaverProcess process;
    HWND window = nullptr;

    explicit FullScreenRun(const std::wstring& tail = L" /s")
        : process((SetCursorPos(Anchor.x, Anchor.y), tail)) {
        window = process.waitForWindow(SaverClass, L"Screen Saver");
        pump(300); // let the window finish its creation and take its anchor
    }

    void moveCursorTo(int x, int y) {
        SetCursorPos(x, y);
        PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        pump(300);
    }
};

TEST(FullScreenSaver, EveryFormOfTheModeLetterStartsItCoveringTheScreenAndDrawing) {
    for (const wchar_t* tail : {L" /s", L" -S", L"   s"}) {
        SCOPED_TRACE(narrow(tail));
        FullScreenRun run(tail);
        ASSERT_NE(run.window, nullptr);
        EXPECT_EQ(windowText(run.window), L"Screen Saver");
        const LONG_PTR style = GetWindowLongPtrW(run.window, GWL_STYLE);
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_TRUE(GetWindowLongPtrW(run.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        RECT rect{};
        GetWindowRect(run.window, &rect);
        EXPECT_EQ(rect.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
        EXPECT_EQ(rect.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
        EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
        EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
        pump(2000);
        // A loaded machine may be slow to bring up the software renderer.
        long lit = litScreenPixels();
        for (int i = 0; i < 16 && lit == 0; ++i) {
            pump(500);
            lit = litScreenPixels();
        }
        EXPECT_GT(lit, 0) << "the screen stayed black";
        PostMessageW(run.window, WM_KEYDOWN, 'A', 0);
        EXPECT_EQ(run.process.exitCode(), std::optional<int>(0));
    }
}

TEST(FullScreenSaver, AClickEndsItWithZero) {
    FullScreenRun run;
    ASSERT_NE(run.window, nullptr);
    PostMessageW(run.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(run.process.exitCode(), std::optional<int>(0));
}

TEST(FullScreenSaver, MouseTravelOfFourPixelsIsToleratedAndFiveEndsIt) {
    FullScreenRun run;
    ASSERT_NE(run.window, nullptr);
    run.moveCursorTo(Anchor.x + 2, Anchor.y - 2);
    EXPECT_FALSE(run.process.exitCode(SettleMs).has_value()) << "a 4-pixel move closed the saver";
    run.moveCursorTo(Anchor.x + 3, Anchor.y - 2);
    EXPECT_EQ(run.process.exitCode(), std::optional<int>(0));
}

TEST(FullScreenSaver, SmallMovesInOneDirectionAddUpFromTheAnchor) {
    FullScreenRun run;
    ASSERT_NE(run.window, nullptr);
    run.moveCursorTo(Anchor.x + 3, Anchor.y);
    EXPECT_FALSE(run.process.exitCode(SettleMs).has_value());
    run.moveCursorTo(Anchor.x + 6, Anchor.y);
    EXPECT_EQ(run.process.exitCode(), std::optional<int>(0));
}

TEST(FullScreenSaver, ASecondStartBringsTheRunningOneForwardAndLeaves) {
    FullScreenRun first;
    ASSERT_NE(first.window, nullptr);
    SaverProcess second(L" /s");
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.exitCode(), std::optional<int>(0));
    EXPECT_EQ(countSaverWindows(), 1);
    EXPECT_TRUE(first.process.running());
    PostMessageW(first.window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(first.process.exitCode(), std::optional<int>(0));
}

TEST(FullScreenSaver, ScreenSaveCommandIsSwallowedAndMonitorPowerCloses) {
    FullScreenRun run;
    ASSERT_NE(run.window, nullptr);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(run.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_FALSE(run.process.exitCode(SettleMs).has_value());
    EXPECT_EQ(countSaverWindows(), 1);
    PostMessageW(run.window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    EXPECT_EQ(run.process.exitCode(), std::optional<int>(0));
}

TEST(FullScreenSaver, PowerBroadcastsCloseExceptFailedResumesAndUnchangedLinePower) {
    FullScreenRun run;
    ASSERT_NE(run.window, nullptr);
    PostMessageW(run.window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 1);
    PostMessageW(run.window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 1);
    PostMessageW(run.window, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_FALSE(run.process.exitCode(SettleMs).has_value());
    PostMessageW(run.window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(run.process.exitCode(), std::optional<int>(0));
}

// A parent window of our own stands in for the display settings' preview.
class PreviewParent {
public:
    PreviewParent() {
        WNDCLASSW parentClass{};
        parentClass.lpfnWndProc = DefWindowProcW;
        parentClass.hInstance = GetModuleHandleW(nullptr);
        parentClass.lpszClassName = L"VeltranePreviewParent";
        RegisterClassW(&parentClass);
        window = CreateWindowExW(0, L"VeltranePreviewParent", L"parent",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 50, 330, 270, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~PreviewParent() {
        if (IsWindow(window))
            DestroyWindow(window);
    }
    std::wstring number() const { return std::to_wstring(reinterpret_cast<UINT_PTR>(window)); }

    HWND waitForChild(SaverProcess& process) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < StartTimeoutMs && process.running()) {
            HWND child = FindWindowExW(window, nullptr, SaverClass, nullptr);
            if (child != nullptr)
                return child;
            pump(100);
        }
        return nullptr;
    }

    HWND window = nullptr;
};

TEST(PreviewSaver, FillsTheParentIgnoresInputAndEndsWhenTheParentGoes) {
    for (const std::wstring& letter : {std::wstring(L" /p "), std::wstring(L" /l ")}) {
        SCOPED_TRACE(narrow(letter));
        PreviewParent parent;
        ASSERT_NE(parent.window, nullptr);
        SaverProcess process(letter + parent.number());
        HWND child = parent.waitForChild(process);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(windowText(child), L"Preview");
        EXPECT_TRUE(GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD);
        RECT parentClient{}, childRect{};
        GetClientRect(parent.window, &parentClient);
        GetClientRect(child, &childRect);
        EXPECT_EQ(childRect.right, parentClient.right);
        EXPECT_EQ(childRect.bottom, parentClient.bottom);

        POINT inside{0, 0};
        ClientToScreen(child, &inside);
        SetCursorPos(inside.x + 40, inside.y + 40);
        PostMessageW(child, WM_KEYDOWN, 'A', 0);
        PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SetCursorPos(inside.x + 120, inside.y + 90);
        PostMessageW(child, WM_MOUSEMOVE, 0, MAKELPARAM(120, 90));
        EXPECT_FALSE(process.exitCode(SettleMs).has_value()) << "input closed the preview";
        EXPECT_TRUE(IsWindow(child));

        DestroyWindow(parent.window);
        EXPECT_EQ(process.exitCode(), std::optional<int>(0));
    }
}

TEST(CommandLine, UnusablePreviewWindowsAndUnknownModesEndWithMinusOne) {
    PreviewParent parent;
    ASSERT_NE(parent.window, nullptr);
    for (const std::wstring& tail :
         {L" /p:" + parent.number(), std::wstring(L" /p 0"), std::wstring(L" /p"),
          std::wstring(L" /x"), std::wstring(L" /a")}) {
        SCOPED_TRACE(narrow(tail));
        SaverProcess process(tail);
        ASSERT_TRUE(process.started());
        EXPECT_EQ(process.exitCode(), std::optional<int>(-1));
    }
}

struct AboutBoxContents {
    bool text = false;
    bool picture = false;
};

AboutBoxContents aboutBoxContents(HWND dialog) {
    AboutBoxContents contents;
    EnumChildWindows(
        dialog,
        [](HWND control, LPARAM argument) -> BOOL {
            auto* c = reinterpret_cast<AboutBoxContents*>(argument);
            if (windowText(control) == L"Veltrane Screensaver 1.0")
                c->text = true;
            const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
            if ((style & SS_TYPEMASK) == SS_BITMAP &&
                SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0)
                c->picture = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&contents));
    return contents;
}

TEST(AboutBox, ShowsTheNameAndPictureIgnoresEnterAndEscapeAndClosesWithOne) {
    PreviewParent owner;
    for (const std::wstring& tail :
         {std::wstring(), std::wstring(L" /c"), L" /c:" + owner.number()}) {
        SCOPED_TRACE(narrow(tail));
        SaverProcess process(tail);
        HWND dialog = process.waitForWindow(L"#32770", L"Veltrane");
        ASSERT_NE(dialog, nullptr);
        // The dialog window exists a moment before its controls do.
        AboutBoxContents contents = aboutBoxContents(dialog);
        for (int i = 0; i < 50 && !(contents.text && contents.picture); ++i) {
            pump(100);
            contents = aboutBoxContents(dialog);
        }
        EXPECT_TRUE(contents.text);
        EXPECT_TRUE(contents.picture);
        if (tail.find(L':') != std::wstring::npos) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner.window);
        }

        PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(process.exitCode(SettleMs).has_value())
            << "Enter or Escape closed the about box";
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        EXPECT_EQ(process.exitCode(), std::optional<int>(1));
    }
}

// The resources the system and the saver look up by number.
TEST(SaverResources, CarryTheNameIconsPicturesAboutBoxVersionAndDpiManifest) {
    HMODULE scr = LoadLibraryExW(saverPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(scr, nullptr);
    wchar_t name[64] = {};
    LoadStringW(scr, 1, name, 64);
    EXPECT_STREQ(name, L"Veltrane");
    EXPECT_NE(FindResourceW(scr, MAKEINTRESOURCEW(100), MAKEINTRESOURCEW(14)),
              nullptr);                                                               // icon group
    EXPECT_NE(FindResourceW(scr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(3)), nullptr); // icons
    EXPECT_NE(FindResourceW(scr, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(3)), nullptr);
    EXPECT_NE(FindResourceW(scr, MAKEINTRESOURCEW(2003), MAKEINTRESOURCEW(5)), nullptr); // dialog
    EXPECT_NE(FindResourceW(scr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16)), nullptr);   // version

    for (int number : {118, 122}) {
        HRSRC found = FindResourceW(scr, MAKEINTRESOURCEW(number), MAKEINTRESOURCEW(2));
        ASSERT_NE(found, nullptr) << "bitmap " << number;
        const auto* header =
            static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(scr, found)));
        EXPECT_EQ(header->biBitCount, 8) << "bitmap " << number;
        EXPECT_EQ(header->biWidth, number == 118 ? 150 : 110);
        EXPECT_EQ(header->biHeight, number == 118 ? 97 : 16);
    }

    HRSRC manifest = FindResourceW(scr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(scr, manifest))),
                           SizeofResource(scr, manifest));
    EXPECT_NE(text.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(text.find("true/pm"), std::string::npos);
    FreeLibrary(scr);
}

} // namespace
