// The Windows screen saver's command line: the program name skipped, the
// mode letter scanned and the window number read, on arbitrary UTF-16 text.
#include "host/win32/saver_command.h"
#include "tests/fuzz/fuzz_input.h"

namespace {
// CharNextW's contract without the system: never past the terminator.
const wchar_t* nextCodeUnit(const wchar_t* at) {
    return *at == L'\0' ? at : at + 1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring line = fuzzWideString(data, size);
    const wchar_t* begin = line.c_str();
    const wchar_t* tail = SkipProgramName(begin, &nextCodeUnit);
    FUZZ_REQUIRE(tail >= begin && tail <= begin + line.size());
    FUZZ_REQUIRE(*tail == L'\0' || *tail > L' ');
    const SaverCommand command = ScanSaverCommand(tail);
    if (command.kind == SaverCommandKind::About || command.kind == SaverCommandKind::FullScreen ||
        command.kind == SaverCommandKind::Unknown)
        FUZZ_REQUIRE(command.window == 0);
    return 0;
}
