// The interactive command line, the host choice and window ids (from
// --window-id and from $XSCREENSAVER_WINDOW, which goes through the same
// parseWindowId).
#include "host/linux/command_line.h"
#include "host/linux/host_choice.h"
#include "tests/fuzz/fuzz_input.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = fuzzArguments(data, size);
    for (const std::string& arg : args) {
        const std::optional<unsigned long> id = parseWindowId(arg);
        if (id)
            FUZZ_REQUIRE(*id != 0 && *id <= UINT32_MAX);
    }
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.options) {
        FUZZ_REQUIRE(!parsed.error.empty());
        return 0;
    }
    if (parsed.options->mode != ProgramMode::Interactive)
        return 0;
    const X11Options& options = parsed.options->x11;
    FUZZ_REQUIRE(options.width >= 1 && options.height >= 1);
    if (options.mode == X11Mode::WindowId)
        FUZZ_REQUIRE(options.windowId != 0 && options.windowId <= UINT32_MAX);
    // Wayland is chosen only for what it can draw, whatever the compositor says.
    for (const bool available : {false, true}) {
        const HostChoice choice =
            chooseInteractiveHost(parsed.options->host, options, [=] { return available; });
        if (choice.host == InteractiveHost::Wayland && choice.error.empty())
            FUZZ_REQUIRE(options.mode == X11Mode::Window || options.mode == X11Mode::FullScreen);
    }
    return 0;
}
