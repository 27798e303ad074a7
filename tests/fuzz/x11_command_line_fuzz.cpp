// The X11 host's command line and window ids (from --window-id and from
// $XSCREENSAVER_WINDOW, which goes through the same parseWindowId).
#include "host/x11/command_line.h"
#include "tests/fuzz/fuzz_input.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = fuzzArguments(data, size);
    for (const std::string& arg : args) {
        const std::optional<unsigned long> id = parseWindowId(arg);
        if (id)
            FUZZ_REQUIRE(*id != 0 && *id <= UINT32_MAX);
    }
    const ParsedCommandLine parsed = parseHostCommandLine(args);
    if (!parsed.options) {
        FUZZ_REQUIRE(!parsed.error.empty());
        return 0;
    }
    const HostOptions& options = *parsed.options;
    FUZZ_REQUIRE(options.width >= 1 && options.height >= 1);
    if (options.mode == HostMode::WindowId)
        FUZZ_REQUIRE(options.windowId != 0 && options.windowId <= UINT32_MAX);
    return 0;
}
