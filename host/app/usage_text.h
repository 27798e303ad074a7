#pragma once

#include "host/app/command_line.h"

#include <string>

// The usage of one mode, made from the option table: its synopsis and every
// option the mode reads (--snapshot and --record share one text). Ends in a
// newline; printed after a bad argument and by the mode's --help.
std::string modeUsage(ProgramMode mode);

// Every mode's usage, the saver modes' first: what a plain --help prints.
std::string programUsage();
