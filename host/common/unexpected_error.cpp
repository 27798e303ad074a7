#include "host/common/unexpected_error.h"

#include "kernel/kernel_exceptions.h"

#include <cstdio>
#include <string>

ExitStatus reportUnexpectedError() {
    const std::string what = NS_KernelExceptions::describeCurrentException();
    NS_KernelExceptions::freeCurrentException();
    std::fprintf(stderr, "veltrane: the saver stopped because of an unexpected error (%s)\n",
                 what.c_str());
    return ExitStatus::SimulationFailed;
}
