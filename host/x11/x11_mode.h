#pragma once

// Window, full-screen and XScreenSaver-hack modes on X11/GLX, plus --help and
// --version. Returns the process exit status.
int runX11Mode(int argc, char** argv);
