# The XDG autostart entry, written and removed in scratch folders. Included
# from tests/host/CMakeLists.txt (not on Windows).
veltrane_test(autostart_entry_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/autostart_entry_test.cpp
  LIBS veltrane_autostart)
