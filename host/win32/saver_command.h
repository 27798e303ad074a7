#pragma once

#include <cstdint>

// The screen-saver command line as Windows passes it, read without touching
// the system: which mode it asks for and the window number it carries. The
// runtime (host_main) then checks the window and runs the mode. Portable, so
// the scan can be tested and fuzzed anywhere; wchar_t holds UTF-16 units on
// Windows and is wider elsewhere, which the scan does not depend on.

enum class SaverCommandKind {
    About,          // empty tail: the about box without a parent
    FullScreen,     // "s"
    Preview,        // "p" or "l" and a window number
    Configure,      // "c", optionally ":" and a window number
    ChangePassword, // "a" and a window number (9x family only)
    Unknown,        // any other letter
};

struct SaverCommand {
    SaverCommandKind kind = SaverCommandKind::Unknown;
    // The window number given with the mode; 0 when none was given.
    std::uint32_t window = 0;
};

// Steps to the next character of a wide string: the runtime passes the
// platform's own (CharNextW), a fuzzer a plain one-unit step.
using NextCharacter = const wchar_t* (*)(const wchar_t*);

// The command tail after the program name and the blanks that follow it: a
// quoted name ends at its closing quote (or the end), an unquoted one at the
// first character at or below the space; then every character from 1 to 32
// is skipped.
const wchar_t* SkipProgramName(const wchar_t* commandLine, NextCharacter next);

// Reads the mode from the tail: spaces, '-' and '/' before the letter are
// skipped, the letter's case does not matter. "p", "l" and "a" read the
// number after any spaces; "c" only after a colon right behind the letter.
SaverCommand ScanSaverCommand(const wchar_t* tail);

// Decimal digits from `position` up to the first non-digit, wrapping in
// unsigned 32-bit arithmetic; 0 when there is no digit.
std::uint32_t ParseWindowHandle(const wchar_t* position);
