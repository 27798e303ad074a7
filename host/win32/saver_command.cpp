#include "host/win32/saver_command.h"

namespace {
const wchar_t* skipSpaces(const wchar_t* at) {
    while (*at == L' ')
        ++at;
    return at;
}
} // namespace

const wchar_t* SkipProgramName(const wchar_t* commandLine, NextCharacter next) {
    const wchar_t* at = commandLine;
    if (*at == L'"') {
        do {
            at = next(at);
        } while (*at != L'\0' && *at != L'"');
        if (*at == L'"')
            at = next(at);
    } else {
        while (*at > L' ')
            at = next(at);
    }
    while (*at >= 1 && *at <= L' ')
        ++at;
    return at;
}

std::uint32_t ParseWindowHandle(const wchar_t* position) {
    std::uint32_t value = 0;
    for (const wchar_t* at = position; *at >= L'0' && *at <= L'9'; ++at)
        value = value * 10u + static_cast<std::uint32_t>(*at - L'0');
    return value;
}

SaverCommand ScanSaverCommand(const wchar_t* tail) {
    for (const wchar_t* at = tail;; ++at) {
        switch (*at) {
        case L' ':
        case L'-':
        case L'/':
            continue;
        case L'\0':
            return {SaverCommandKind::About, 0};
        case L'S':
        case L's':
            return {SaverCommandKind::FullScreen, 0};
        case L'P':
        case L'p':
        case L'L':
        case L'l':
            return {SaverCommandKind::Preview, ParseWindowHandle(skipSpaces(at + 1))};
        case L'C':
        case L'c':
            return {SaverCommandKind::Configure, at[1] == L':' ? ParseWindowHandle(at + 2) : 0};
        case L'A':
        case L'a':
            return {SaverCommandKind::ChangePassword, ParseWindowHandle(skipSpaces(at + 1))};
        default:
            return {SaverCommandKind::Unknown, 0};
        }
    }
}
