#pragma once

#include <windows.h>

namespace NS_Universe {
class Universe;
}

// The saver's side of the window: on creation an OpenGL context and the
// universe (which starts the simulation thread); on the first of WM_CLOSE and
// WM_DESTROY the universe goes first, then the context, then the device
// context. Every message ends in HostDefaultProc.
LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Builds the process's universe from the saver model; its simulation thread
// releases the GL context after its last frame. If construction throws,
// nothing is kept and the exception propagates.
void CreateUniverse();
// Stops and destroys the current universe, if any; harmless when there is none.
void DestroyUniverse();
NS_Universe::Universe* currentUniverse();

// The window's device context and rendering context, null when absent.
HDC saverDC();
HGLRC saverGLContext();

// How often the window thread looks whether the simulation has failed.
constexpr UINT SimulationWatchTimer = 0x5645;
constexpr UINT SimulationWatchPeriodMs = 250;
