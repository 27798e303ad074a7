#pragma once

#include "host/common/exit_status.h"
#include "host/headless/simulate_options.h"

// `veltrane --simulate ...`: the tracery model without rendering, on the
// virtual timer. Returns Usage also for a dump that cannot be written,
// Environment when the world cannot be built, SimulationFailed when its run or
// teardown fails.
ExitStatus runSimulation(const SimulateOptions& options);
