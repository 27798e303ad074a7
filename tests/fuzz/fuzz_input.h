#pragma once
// Turning a fuzzer's bytes into the inputs of the program's parsers, and the
// one way a harness reports a broken promise.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// A command line: the bytes split at NUL, as argv can hold no NUL itself.
inline std::vector<std::string> fuzzArguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    return args;
}

// A NUL-terminated wide string of UTF-16 code units, two bytes each, low byte
// first: what Windows hands a program, whatever the width of wchar_t here.
inline std::wstring fuzzWideString(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const unsigned unit = data[i] | static_cast<unsigned>(data[i + 1]) << 8;
        if (unit == 0)
            break;
        text += static_cast<wchar_t>(unit);
    }
    return text;
}

// A parser broke one of its own promises: a finding, as a crash would be.
#define FUZZ_REQUIRE(condition)                                                                    \
    do {                                                                                           \
        if (!(condition))                                                                          \
            std::abort();                                                                          \
    } while (false)
