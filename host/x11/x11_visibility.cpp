#include "host/x11/x11_visibility.h"

#include <X11/X.h>

void X11Visibility::windowVisibility(int state) {
    obscured_ = state == VisibilityFullyObscured;
}

void X11Visibility::displayPower(bool enabled, int level) {
    displayOn_ = !enabled || level == static_cast<int>(Power::On);
}
