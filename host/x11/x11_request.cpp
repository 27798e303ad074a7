#include "host/x11/x11_request.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

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
