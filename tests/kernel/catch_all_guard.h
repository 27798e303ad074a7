#pragma once

#include "kernel/kernel_exceptions.h"

#include <string>

namespace kernel_test {

// What a host's catch-all guard makes of whatever `body` throws: the name it
// reports, after freeing the exception; "nothing thrown" when nothing was.
template <class F> std::string catchAllGuard(F&& body) {
    try {
        body();
    } catch (...) {
        const std::string what = NS_KernelExceptions::describeCurrentException();
        NS_KernelExceptions::freeCurrentException();
        return what;
    }
    return "nothing thrown";
}

} // namespace kernel_test
