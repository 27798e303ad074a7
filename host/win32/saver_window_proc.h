#pragma once

#include <windows.h>

// The saver's side of the window: on creation an OpenGL context and the
// universe (which starts the simulation thread); on the first of WM_CLOSE and
// WM_DESTROY the universe goes first, then the context, then the device
// context. Every message ends in HostDefaultProc.
LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Starts the process's saver run on the window's drawing target (none before
// WM_CREATE made one): the universe from the saver model, whose simulation
// thread releases the GL context after its last frame. If construction
// throws, nothing is kept and the exception propagates.
void CreateUniverse();
// Finishes the run, if any, and gives its drawing target back; harmless when
// there is none. When it returns no thread uses the GL context. Throws
// std::runtime_error when the teardown failed (the run is gone all the same).
void DestroyUniverse();

// How often the window thread looks whether the run has failed or cannot
// draw (the saver then turns black and stays until its closing rules end
// it) and, in preview, whether the parent window still exists (the saver
// then ends as for a destroyed parent).
constexpr UINT SimulationWatchTimer = 0x5645;
constexpr UINT SimulationWatchPeriodMs = 250;
