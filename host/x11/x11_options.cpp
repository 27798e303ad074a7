#include "host/x11/x11_options.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace {

// Up to five digits starting at `pos`; advances `pos` past them.
std::optional<int> parseNumber(const std::string& text, std::size_t& pos) {
    std::size_t begin = pos;
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

bool parseX11Geometry(const std::string& text, X11Options& options) {
    std::size_t pos = !text.empty() && text[0] == '=' ? 1 : 0;
    auto width = parseNumber(text, pos);
    if (!width || pos >= text.size() || (text[pos] != 'x' && text[pos] != 'X'))
        return false;
    ++pos;
    auto height = parseNumber(text, pos);
    if (!height || *width < 1 || *width > 16384 || *height < 1 || *height > 16384)
        return false;
    X11Options result = options;
    result.width = *width;
    result.height = *height;
    result.positioned = pos < text.size();
    if (result.positioned) {
        const char xSign = text[pos++];
        auto x = parseNumber(text, pos);
        const char ySign = pos < text.size() ? text[pos++] : '\0';
        auto y = parseNumber(text, pos);
        bool signsOk = (xSign == '+' || xSign == '-') && (ySign == '+' || ySign == '-');
        if (!signsOk || !x || !y || pos != text.size())
            return false;
        result.x = *x;
        result.y = *y;
        result.xFromRight = xSign == '-';
        result.yFromBottom = ySign == '-';
    }
    options = result;
    return true;
}

std::optional<unsigned long> parseWindowId(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t\n");
    std::size_t end = text.find_last_not_of(" \t\n");
    if (begin == std::string::npos)
        return std::nullopt;
    std::string digits = text.substr(begin, end - begin + 1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    // strtoull would accept signs and its own blanks; only plain digits pass.
    for (char c : digits) {
        bool ok = base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                             : std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (!ok)
            return std::nullopt;
    }
    if (digits.empty() || digits.size() > 20)
        return std::nullopt;
    errno = 0;
    unsigned long long value = std::strtoull(digits.c_str(), nullptr, base);
    if (errno != 0 || value == 0 || value > UINT32_MAX)
        return std::nullopt;
    return static_cast<unsigned long>(value);
}
