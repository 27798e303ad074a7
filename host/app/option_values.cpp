#include "host/app/option_values.h"

#include <cctype>

namespace {
constexpr std::int64_t MaxParsable = 1'000'000'000'000'000'000;

// Up to five digits starting at `pos`; advances `pos` past them.
std::optional<int> parseGeometryNumber(std::string_view text, std::size_t& pos) {
    const std::size_t begin = pos;
    int value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        if (pos - begin == 5)
            return std::nullopt;
        value = value * 10 + (text[pos++] - '0');
    }
    if (pos == begin)
        return std::nullopt;
    return value;
}
} // namespace

std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t low,
                                             std::int64_t high) {
    // 19 digits cannot overflow an int64 once the first is checked against 10^18.
    if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        if (value > MaxParsable / 10)
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<TimeOfDay> parseTimeOfDay(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 1 || colon > 2 || text.size() != colon + 3)
        return std::nullopt;
    // The hour may carry a leading zero ("09") and the minute always has two
    // digits, so neither goes through parseWholeNumber's no-leading-zero rule.
    auto digits = [](std::string_view part) {
        int value = 0;
        for (char c : part) {
            if (c < '0' || c > '9')
                return -1;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const int hour = digits(text.substr(0, colon));
    const int minute = digits(text.substr(colon + 1));
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return std::nullopt;
    return TimeOfDay{hour, minute};
}

std::optional<std::uint32_t> parseSeed(std::string_view text) {
    const auto value = parseWholeNumber(text, 0, 4294967295LL);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<PictureSize> parsePictureSize(std::string_view text, int maxSide) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    const auto width = parseWholeNumber(text.substr(0, x), 1, maxSide);
    const auto height = parseWholeNumber(text.substr(x + 1), 1, maxSide);
    if (!width || !height)
        return std::nullopt;
    return PictureSize{static_cast<int>(*width), static_cast<int>(*height)};
}

std::string checkPathValue(std::string_view option, std::string_view text,
                           bool allowStandardOutput) {
    const std::string name(option);
    if (text.empty())
        return name + " wants a file name";
    if (text == "-")
        return allowStandardOutput ? std::string() : name + " cannot write to standard output";
    if (text[0] == '-')
        return name + " wants a file name, not '" + std::string(text) + "' (write ./" +
               std::string(text) + " for a file whose name starts with '-')";
    return {};
}

std::optional<double> parseMinutes(std::string_view text) {
    constexpr double week = 7 * 24 * 60;
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    const auto digitsOnly = [](std::string_view part) {
        return part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (whole.empty() || whole.size() > 6 || !digitsOnly(whole) || !digitsOnly(fraction) ||
        (dot != std::string_view::npos && (fraction.empty() || fraction.size() > 6)))
        return std::nullopt;
    double minutes = 0;
    for (char c : whole)
        minutes = minutes * 10 + (c - '0');
    double scale = 0.1;
    for (char c : fraction) {
        minutes += (c - '0') * scale;
        scale /= 10;
    }
    if (minutes <= 0 || minutes > week)
        return std::nullopt;
    return minutes;
}

std::optional<WindowGeometry> parseWindowGeometry(std::string_view text) {
    std::size_t pos = !text.empty() && text[0] == '=' ? 1 : 0;
    const auto width = parseGeometryNumber(text, pos);
    if (!width || pos >= text.size() || (text[pos] != 'x' && text[pos] != 'X'))
        return std::nullopt;
    ++pos;
    const auto height = parseGeometryNumber(text, pos);
    if (!height || *width < 1 || *width > 16384 || *height < 1 || *height > 16384)
        return std::nullopt;
    WindowGeometry result;
    result.width = *width;
    result.height = *height;
    if (pos == text.size())
        return result;
    const char xSign = text[pos++];
    const auto x = parseGeometryNumber(text, pos);
    const char ySign = pos < text.size() ? text[pos++] : '\0';
    const auto y = parseGeometryNumber(text, pos);
    const bool signsOk = (xSign == '+' || xSign == '-') && (ySign == '+' || ySign == '-');
    if (!signsOk || !x || !y || pos != text.size())
        return std::nullopt;
    result.placement = {true, *x, *y, xSign == '-', ySign == '-'};
    return result;
}
