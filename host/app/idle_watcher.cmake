# `veltrane --idle`: the watcher's decisions, the poll loop around them and the
# one-watcher-per-session lock. Included from host/CMakeLists.txt (not on
# Windows).
add_library(veltrane_idle_watcher STATIC ${CMAKE_CURRENT_LIST_DIR}/idle_watcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/idle_watch_loop.cpp ${CMAKE_CURRENT_LIST_DIR}/watcher_lock.cpp)
target_include_directories(veltrane_idle_watcher PUBLIC ${PROJECT_SOURCE_DIR})
veltrane_strict(veltrane_idle_watcher)
