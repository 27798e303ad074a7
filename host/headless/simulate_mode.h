#pragma once

// `veltrane --simulate ...`: the tracery model without rendering, on the
// virtual timer. Returns the process exit status (1 for bad arguments).
int runSimulateMode(int argc, char** argv);
