# Cross build for 64-bit Windows with Debian's mingw-w64. The posix thread
# model gives the C++ runtime real std::mutex/std::thread; libgcc, libstdc++
# and winpthreads are linked statically so veltrane.scr needs nothing beside
# the system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTRANE_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${VELTRANE_MINGW_TRIPLE}-gcc-posix ${VELTRANE_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VELTRANE_MINGW_TRIPLE}-g++-posix ${VELTRANE_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VELTRANE_MINGW_TRIPLE}-windres windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${VELTRANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Unicode Win32 API throughout; Windows 7 as the floor (per-monitor DPI
# awareness comes from the manifest, not from an API call).
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine.
find_program(VELTRANE_WINE NAMES wine wine64)
if(VELTRANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTRANE_WINE})
endif()
