# Installs the build into a scratch prefix and checks that the hack and its
# description land where XScreenSaver looks for them.
set(prefix "${BUILD_DIR}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file libexec/xscreensaver/veltrane share/xscreensaver/config/veltrane.xml)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ "${prefix}/share/xscreensaver/config/veltrane.xml" xml)
if(NOT xml MATCHES "<screensaver name=\"veltrane\" _label=\"Veltrane\" gl=\"yes\">"
   OR NOT xml MATCHES "<command arg=\"--root\"/>"
   OR NOT xml MATCHES "<boolean id=\"showfps\" _label=\"Show frame rate\" arg-set=\"--fps\"/>")
  message(FATAL_ERROR "veltrane.xml does not describe a GL hack run with --root and an --fps choice")
endif()
file(REMOVE_RECURSE "${prefix}")
