#pragma once

// Whether anybody can see the saver's X window, from what the server says:
// its VisibilityNotify states (meaningful where no compositing manager
// redirects windows; with one, the window always reads as unobscured) and
// the display's DPMS power level. Frames are wanted unless the window is
// fully obscured or the display is not on. Window thread only.
class X11Visibility {
public:
    // DPMS power levels as the extension numbers them.
    enum class Power { On = 0, Standby = 1, Suspend = 2, Off = 3 };

    // A VisibilityNotify state: VisibilityUnobscured, VisibilityPartiallyObscured
    // or VisibilityFullyObscured.
    void windowVisibility(int state);
    // The DPMS extension's answer: whether DPMS is enabled and the power
    // level. A display without the extension, or with DPMS disabled, is on.
    void displayPower(bool enabled, int level);

    bool frameWanted() const { return !obscured_ && displayOn_; }

private:
    bool obscured_ = false;
    bool displayOn_ = true;
};
