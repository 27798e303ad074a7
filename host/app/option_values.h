#pragma once

#include "host/headless/simulate_options.h"
#include "host/x11/x11_request.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The one parser per value type that the option table uses, so a value is
// read the same way whichever mode it is given to. All of them are strict:
// plain ASCII digits only (no sign, no blanks, no leading zero, no suffix), and
// anything out of range is refused rather than clamped.

struct PictureSize {
    int width = 0;
    int height = 0;
};

// "H:MM" or "HH:MM": a one- or two-digit hour 0-23, a colon, exactly two
// minute digits 00-59. "9:05" and "09:05" are the same time.
std::optional<TimeOfDay> parseTimeOfDay(std::string_view text);

// A whole number within [low, high] written plainly: "0", or a non-zero digit
// followed by digits. `high` must not exceed 10^18.
std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t low,
                                             std::int64_t high);

// Minutes of idleness: digits with at most one '.' among them ("10", "0.05",
// "2.5"), more than 0 and at most a week.
std::optional<double> parseMinutes(std::string_view text);

// A generator seed, 0 to 4294967295.
std::optional<std::uint32_t> parseSeed(std::string_view text);

// "WxH", each side a whole number from 1 to maxSide.
std::optional<PictureSize> parsePictureSize(std::string_view text, int maxSide);

// A file or directory name given as an option's value. "-" (standard output)
// passes only when `allowStandardOutput`; any other name starting with '-' is
// refused, so an option that forgot its value never swallows the next option
// as a file name ("./-name" reaches such a file). Empty on success, otherwise
// the reason.
std::string checkPathValue(std::string_view option, std::string_view text,
                           bool allowStandardOutput);

// A window's size and, optionally, where it goes: X geometry as XScreenSaver's
// peers take it, [=]WxH, optionally followed by +X+Y where either sign may be
// '-' to count from the far edge; sizes from 1 to 16384, offsets of up to
// five digits. Without an offset `placement` is unpositioned.
struct WindowGeometry {
    int width = 0;
    int height = 0;
    X11Placement placement;
};
std::optional<WindowGeometry> parseWindowGeometry(std::string_view text);
