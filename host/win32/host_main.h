#pragma once

#include <windows.h>

// The process entry: skips the program name on the wide command line, runs
// HostMain with the rest and ends the process with its result.
[[noreturn]] void HostEntry();

// The command tail after the program name and the blanks that follow it.
const wchar_t* CommandTail(const wchar_t* commandLine);

// Dispatches on the mode letter and returns the exit code: full screen and
// preview give the loop's quit code, configure the about box's result, change
// password 0; an unknown letter, an unusable preview window or the password
// mode outside the 9x family -1. Anything thrown or faulting in between ends
// the run with -1 as well.
int HostMain(HINSTANCE instance, const wchar_t* tail);
