#pragma once

#include <string>
#include <vector>

// Which of the Linux program's modes a command line asks for.
enum class ProgramMode {
    Interactive, // window, full screen, XScreenSaver hack, --help, --version
    Simulate,    // --simulate
    Snapshot,    // --snapshot
    Record,      // --record
};

// `args` excludes the program name. The mode is set by the first --simulate,
// --snapshot or --record that is not the value of a headless option taking one
// ("--dump --simulate" names a file, it does not choose a mode). Without such
// a switch the command line belongs to the interactive host. The chosen mode's
// parser then reads the whole line and refuses anything it does not know,
// a second mode switch included.
ProgramMode chooseProgramMode(const std::vector<std::string>& args);
