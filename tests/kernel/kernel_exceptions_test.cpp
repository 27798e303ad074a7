#include "tests/kernel/catch_all_guard.h"

#include "kernel/kernel_exceptions.h"
#include "kernel/object_index.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct ModuleError {};
struct LateError {};

const NS_KernelExceptions::ExceptionRegistration<ModuleError> moduleRegistration("ModuleError");

using kernel_test::catchAllGuard;

} // namespace

// Guards on several threads name and free a module's exceptions while another
// module registers its own (under LSan an unfreed one is a leak, under TSan
// the registry is checked for races).
TEST(KernelExceptions, GuardsNameAndFreeEveryRegisteredTypeOnAnyThread) {
    std::vector<std::string> seen[2];
    std::vector<std::thread> threads;
    for (std::vector<std::string>& names : seen)
        threads.emplace_back([&names] {
            for (int i = 0; i < 200; ++i)
                names.push_back(catchAllGuard([] { throw new ModuleError(); }));
        });
    threads.emplace_back([] {
        NS_KernelExceptions::ExceptionRegistration<LateError> late("LateError");
        NS_KernelExceptions::ExceptionRegistration<LateError> again("LateError");
    });
    for (std::thread& t : threads)
        t.join();
    for (const std::vector<std::string>& names : seen)
        EXPECT_EQ(names, std::vector<std::string>(200, "ModuleError"));
    EXPECT_EQ(catchAllGuard([] { throw new LateError(); }), "LateError");
    EXPECT_EQ(catchAllGuard([] { throw new NS_ObjectIndex::Exception(); }),
              "NS_ObjectIndex::Exception");
    EXPECT_EQ(catchAllGuard([] { throw std::runtime_error("plain"); }), "plain");
    EXPECT_EQ(catchAllGuard([] { throw 1; }), "an unknown exception");
}
