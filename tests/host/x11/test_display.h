#pragma once

#include <X11/Xlib.h>
#include <string>

// The test's own connection to $DISPLAY, for finding, creating, inspecting and
// destroying windows around the program under test.
class TestDisplay {
public:
    TestDisplay();
    ~TestDisplay();
    TestDisplay(const TestDisplay&) = delete;
    TestDisplay& operator=(const TestDisplay&) = delete;

    Display* get() const { return display_; }
    Window root() const;

    // A mapped top-level window titled `title`, or 0 if none appears in time.
    Window waitForWindow(const std::string& title, int milliseconds);
    bool windowExists(Window window);
    // A plain mapped window on the default visual, for hack-mode tests.
    Window createWindow(int width, int height);
    void destroyWindow(Window window);
    // True once the window shows a pixel other than black within the timeout.
    bool showsNonBlack(Window window, int milliseconds);
    // The fraction of sampled pixels that are not black, now.
    double nonBlackFraction(Window window);
    // Moves the pointer through XTest and waits until the server has it there.
    void movePointer(int x, int y);
    int width(Window window);
    int height(Window window);

private:
    Display* display_;
};

// Synthetic input through XTest, as a user's devices would produce it.
void pressKey(const std::string& key);
void clickButton(int button);
// What a window manager sends when the user closes a window.
void sendWindowManagerClose(Display* display, Window window);
std::string hexId(Window window);
// Reads "0x…" or decimal; 0 for anything else.
Window parseWindowIdForTest(const std::string& text);
