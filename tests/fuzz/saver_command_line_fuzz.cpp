// The saver's command line, the host choice and window ids (from
// --window-id and from $XSCREENSAVER_WINDOW, which goes through the same
// parseWindowId).
#include "host/app/command_line.h"
#include "host/app/host_choice.h"
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
    if (parsed.options->mode != ProgramMode::Saver)
        return 0;
    const SaverRequest& saver = parsed.options->saver;
    const X11Request& x11 = parsed.options->x11;
    FUZZ_REQUIRE(saver.width >= 1 && saver.height >= 1);
    if (x11.drawable == X11Drawable::NamedWindow)
        FUZZ_REQUIRE(x11.windowId != 0 && x11.windowId <= UINT32_MAX);
    // Wayland is chosen only for what it can draw, whatever the displays say.
    for (const bool answers : {false, true}) {
        DisplayProbes probes;
        probes.wayland = [=]() -> std::optional<std::string> {
            return answers ? std::nullopt : std::optional<std::string>("silent");
        };
        probes.x11 = [=]() -> std::optional<std::string> {
            return answers ? std::nullopt : std::optional<std::string>("gone");
        };
        const HostChoice choice = chooseSaverHost(parsed.options->host, x11, probes);
        if (choice.host == SaverHost::Wayland && choice.usageError.empty())
            FUZZ_REQUIRE(x11.drawable == X11Drawable::OwnWindow);
    }
    return 0;
}
