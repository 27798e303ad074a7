# Installs the build into a scratch prefix and checks that the hack and its
# description land where XScreenSaver looks for them, with the man page and
# the licence, stripped.
set(prefix "${BUILD_DIR}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file libexec/xscreensaver/veltrane share/xscreensaver/config/veltrane.xml
             share/man/man6/veltrane.6.gz share/doc/veltrane/copyright)
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
# Installed stripped by default: no symbol table left (the build's keeps one).
file(READ "${prefix}/libexec/xscreensaver/veltrane" binary HEX)
if(binary MATCHES "2e73796d746162") # ".symtab" among the section names
  message(FATAL_ERROR "the installed binary is not stripped")
endif()
file(REMOVE_RECURSE "${prefix}")
