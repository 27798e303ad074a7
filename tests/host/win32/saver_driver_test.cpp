// Drives the real veltrane.scr as the system would: starts it with each
// command line, finds its windows, sends it input, and checks how and with
// which code it ends. Built next to the .scr and run under Wine on Xvfb.
// Timeouts are generous: the machine may be busy.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* SaverClass = L"WindowsScreenSaverClass";
constexpr DWORD StartTimeoutMs = 15000;
constexpr DWORD EndTimeoutMs = 10000;
// Long enough for a posted close to have run through the saver's teardown.
constexpr DWORD SettleMs = 1500;
// Every full-screen run starts with the cursor here; mouse travel counts from it.
constexpr POINT Anchor{400, 300};

std::wstring saverPath() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"veltrane.scr";
}

std::wstring text(HWND window, bool ofClass = false) {
    wchar_t buffer[256] = {};
    ofClass ? GetClassNameW(window, buffer, 256) : GetWindowTextW(window, buffer, 256);
    return buffer;
}

// Waits for a handle (or just the time, without one) while keeping this
// thread's windows answering: a preview parent lives here, and the saver's
// child window talks to it.
bool pump(DWORD timeoutMs, HANDLE handle = nullptr) {
    const DWORD count = handle != nullptr ? 1 : 0;
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < timeoutMs; elapsed = GetTickCount() - start) {
        if (MsgWaitForMultipleObjects(count, &handle, FALSE, timeoutMs - elapsed, QS_ALLINPUT) ==
                WAIT_OBJECT_0 &&
            count == 1)
            return true;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    return count == 1 && WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
}

// Top-level windows of a class, of one process or of any (0).
std::vector<HWND> topWindows(const wchar_t* className, DWORD process = 0) {
    struct Search {
        const wchar_t* className;
        DWORD process;
        std::vector<HWND> found;
    } search{className, process, {}};
    EnumWindows(
        [](HWND window, LPARAM argument) -> BOOL {
            auto* s = reinterpret_cast<Search*>(argument);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((s->process == 0 || owner == s->process) && text(window, true) == s->className)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// One run of the saver; killed if a test leaves it running.
class SaverProcess {
public:
    explicit SaverProcess(const std::wstring& tail) {
        std::wstring commandLine = L"\"" + saverPath() + L"\"" + tail;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process_);
    }
    ~SaverProcess() {
        if (process_.hProcess != nullptr && running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    // The exit code if the process ends within the timeout.
    std::optional<int> exitCode(DWORD timeoutMs = EndTimeoutMs) {
        if (!pump(timeoutMs, process_.hProcess))
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<int>(code);
    }
    bool running() { return !exitCode(0).has_value(); }

    // A top-level window of this process of the class, or of `parent`'s children.
    HWND waitForWindow(const wchar_t* className, HWND parent = nullptr) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < StartTimeoutMs && running()) {
            if (parent != nullptr) {
                if (HWND child = FindWindowExW(parent, nullptr, className, nullptr))
                    return child;
            } else if (auto found = topWindows(className, process_.dwProcessId); !found.empty()) {
                return found.front();
            }
            pump(100);
        }
        return nullptr;
    }

private:
    PROCESS_INFORMATION process_{};
};

// Pixels of the screen that are not black, sampled on a 4-pixel grid.
long litScreenPixels() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width * height));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    long lit = 0;
    for (int y = 0; y < height; y += 4)
        for (int x = 0; x < width; x += 4)
            lit += (pixels[static_cast<size_t>(y * width + x)] & 0x00F0F0F0u) != 0;
    return lit;
}

struct FullScreenRun {
    SaverProcess process;
    HWND window = nullptr;

    explicit FullScreenRun(const std::wstring& tail = L" /s")
        : process((SetCursorPos(Anchor.x, Anchor.y), tail)) {
        window = process.waitForWindow(SaverClass);
        pump(300); // let the window finish its creation and take its anchor
    }

    // Moves the cursor by (dx, dy) from the anchor; true if the saver stays.
    bool staysAfterMoveTo(int dx, int dy) {
        SetCursorPos(Anchor.x + dx, Anchor.y + dy);
        PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(Anchor.x + dx, Anchor.y + dy));
        return !process.exitCode(SettleMs).has_value();
    }
};

// Each form of the mode letter, ended by a different input.
TEST(FullScreenSaver, EveryFormOfTheModeLetterCoversTheScreenDrawsAndEndsOnInputWithZero) {
    const struct {
        const wchar_t* tail;
        const char* ending;
    } cases[] = {{L" /s", "key"}, {L" -S", "click"}, {L"   s", "5-pixel move"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ending);
        FullScreenRun run(c.tail);
        ASSERT_NE(run.window, nullptr);
        EXPECT_EQ(text(run.window), L"Screen Saver");
        EXPECT_TRUE(GetWindowLongPtrW(run.window, GWL_STYLE) & WS_POPUP);
        EXPECT_TRUE(GetWindowLongPtrW(run.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        RECT rect{};
        GetWindowRect(run.window, &rect);
        EXPECT_EQ(rect.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
        EXPECT_EQ(rect.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
        EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
        EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
        // A loaded machine may be slow to bring up the software renderer.
        long lit = 0;
        for (int i = 0; i < 20 && lit == 0; ++i) {
            pump(500);
            lit = litScreenPixels();
        }
        EXPECT_GT(lit, 0) << "the screen stayed black";

        if (c.ending[0] == 'k') {
            PostMessageW(run.window, WM_KEYDOWN, 'A', 0);
        } else if (c.ending[0] == 'c') {
            PostMessageW(run.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        } else {
            EXPECT_TRUE(run.staysAfterMoveTo(2, -2)) << "a 4-pixel move closed the saver";
            run.staysAfterMoveTo(3, -2);
        }
        EXPECT_EQ(run.process.exitCode(), std::optional<int>(0));
    }
}

TEST(FullScreenSaver, IgnoresASecondStartAndScreenSaveCommandsAndAddsUpSmallMoves) {
    FullScreenRun first;
    ASSERT_NE(first.window, nullptr);
    SaverProcess second(L" /s");
    EXPECT_EQ(second.exitCode(), std::optional<int>(0));
    EXPECT_EQ(topWindows(SaverClass).size(), 1u);

    DWORD_PTR answer = 0;
    SendMessageTimeoutW(first.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_TRUE(first.staysAfterMoveTo(3, 0)) << "screen-save command or 3-pixel move closed it";
    EXPECT_EQ(topWindows(SaverClass).size(), 1u);
    first.staysAfterMoveTo(6, 0);
    EXPECT_EQ(first.process.exitCode(), std::optional<int>(0));
}

// A window of our own stands in for the display settings' preview.
struct PreviewParent {
    HWND window = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700,
                                  50, 330, 270, nullptr, nullptr, nullptr, nullptr);
    ~PreviewParent() {
        if (IsWindow(window))
            DestroyWindow(window);
    }
    std::wstring number() const { return std::to_wstring(reinterpret_cast<UINT_PTR>(window)); }
};

TEST(PreviewSaver, FillsTheParentIgnoresInputAndEndsWithZeroWhenTheParentGoes) {
    for (const wchar_t* letter : {L" /p ", L" /l "}) {
        SCOPED_TRACE(letter[2] == 'p' ? "/p" : "/l");
        PreviewParent parent;
        ASSERT_NE(parent.window, nullptr);
        SaverProcess process(letter + parent.number());
        HWND child = process.waitForWindow(SaverClass, parent.window);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(text(child), L"Preview");
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

TEST(PreviewSaver, EndsWithZeroWhenTheProcessOwningTheParentIsKilled) {
    // Wine's own Notepad stands in for the control panel's preview box.
    wchar_t notepadLine[] = L"notepad.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION owner{};
    if (!CreateProcessW(nullptr, notepadLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &owner))
        GTEST_SKIP() << "no notepad.exe to own a parent window";
    HWND parent = nullptr;
    for (const DWORD start = GetTickCount();
         parent == nullptr && GetTickCount() - start < StartTimeoutMs; pump(100))
        if (auto found = topWindows(L"Notepad", owner.dwProcessId); !found.empty())
            parent = found.front();
    ASSERT_NE(parent, nullptr);
    SaverProcess process(L" /p " + std::to_wstring(reinterpret_cast<UINT_PTR>(parent)));
    EXPECT_NE(process.waitForWindow(SaverClass, parent), nullptr);

    TerminateProcess(owner.hProcess, 1);
    WaitForSingleObject(owner.hProcess, 5000);
    CloseHandle(owner.hThread);
    CloseHandle(owner.hProcess);
    EXPECT_EQ(process.exitCode(), std::optional<int>(0));
}

TEST(CommandLine, UnusablePreviewWindowsUnknownModesAndPasswordModeOnNtEndWithMinusOne) {
    PreviewParent parent;
    ASSERT_NE(parent.window, nullptr);
    for (const std::wstring& tail :
         {L" /p:" + parent.number(), L" -l:" + parent.number(), std::wstring(L" /p 0"),
          std::wstring(L" /p"), std::wstring(L" /x"), std::wstring(L" /a"),
          L" /A " + parent.number()}) {
        SCOPED_TRACE(std::string(tail.begin(), tail.end()));
        SaverProcess process(tail);
        EXPECT_EQ(process.exitCode(), std::optional<int>(-1));
    }
}

TEST(AboutBox, ShowsTheNameAndPictureIgnoresEnterAndEscapeAndClosesWithOne) {
    PreviewParent owner;
    for (const std::wstring& tail :
         {std::wstring(), std::wstring(L" /c"), L" /c:" + owner.number()}) {
        SCOPED_TRACE(std::string(tail.begin(), tail.end()));
        SaverProcess process(tail);
        HWND dialog = process.waitForWindow(L"#32770");
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(text(dialog), L"Veltrane");
        if (tail.find(L':') != std::wstring::npos) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner.window);
        }
        // The dialog window exists a moment before its controls do.
        HWND label = nullptr;
        bool picture = false;
        for (int i = 0; i < 50 && !(label && picture); ++i, pump(100)) {
            label = FindWindowExW(dialog, nullptr, L"Static", L"Veltrane Screensaver 1.0");
            for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                picture = picture || SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
        }
        EXPECT_NE(label, nullptr);
        EXPECT_TRUE(picture);

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

// What the system looks up: the name, the icon group and the DPI manifest.
TEST(SaverResources, CarryTheNameIconAndPerMonitorDpiManifest) {
    HMODULE scr = LoadLibraryExW(saverPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(scr, nullptr);
    wchar_t name[64] = {};
    LoadStringW(scr, 1, name, 64);
    EXPECT_STREQ(name, L"Veltrane");
    EXPECT_NE(FindResourceW(scr, MAKEINTRESOURCEW(100), MAKEINTRESOURCEW(14)), nullptr);
    HRSRC manifest = FindResourceW(scr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string manifestText(
        static_cast<const char*>(LockResource(LoadResource(scr, manifest))),
        SizeofResource(scr, manifest));
    EXPECT_NE(manifestText.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(manifestText.find("true/pm"), std::string::npos);
    FreeLibrary(scr);
}

} // namespace
