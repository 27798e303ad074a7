# `veltrane --autostart on|off`: the user's XDG autostart entry for the idle
# watcher. Included from host/CMakeLists.txt (not on Windows).
add_library(veltrane_autostart STATIC ${CMAKE_CURRENT_LIST_DIR}/autostart_entry.cpp)
target_include_directories(veltrane_autostart PUBLIC ${PROJECT_SOURCE_DIR})
veltrane_strict(veltrane_autostart)
