#pragma once
// Tests that need a server the test run provides (Xvfb, a headless
// compositor). Outside scripts/test a missing server skips such a test, so
// the summary shows what was not tested; under scripts/test, which starts
// every server and sets VELTRANE_REQUIRE_SERVERS=1, it fails the test.

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

inline bool serversRequired() {
    const char* required = std::getenv("VELTRANE_REQUIRE_SERVERS");
    return required != nullptr && std::strcmp(required, "1") == 0;
}

#define REQUIRE_SERVER(available, what)                                                            \
    do {                                                                                           \
        if (!(available)) {                                                                        \
            if (serversRequired())                                                                 \
                FAIL() << "missing: " << (what);                                                   \
            else                                                                                   \
                GTEST_SKIP() << "missing: " << (what) << " (scripts/test provides it)";            \
        }                                                                                          \
    } while (false)
