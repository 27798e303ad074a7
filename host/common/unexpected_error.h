#pragma once

#include "host/common/exit_status.h"

// Only inside a catch handler: names the exception being handled on stderr
// ("the saver stopped because of an unexpected error (...)"), frees it, and
// returns the status for it. The error is the saver's own, not the display's
// or the driver's, hence SimulationFailed rather than the no-GL status.
ExitStatus reportUnexpectedError();
