# The idle watcher's decisions with a fake idle source and a fake launcher,
# its poll loop on pipes, and the session lock. Included from
# tests/host/CMakeLists.txt (not on Windows).
veltrane_test(idle_watcher_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/idle_watcher_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/watcher_lock_test.cpp
  LIBS veltrane_idle_watcher)
