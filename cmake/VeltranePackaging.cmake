# Packages, one CPack generator per platform (see the README's "Packaging"):
#   cmake --workflow --preset deb    -> build/packages/veltrane_<version>_amd64.deb
#   cmake --workflow --preset win64  -> build/packages/veltrane-<version>-win64.zip
#   cmake --workflow --preset msi    -> build/packages/veltrane-<version>-win64.msi
# Both hold stripped programs. The .deb puts the hack where Debian 12's
# XScreenSaver daemon runs hacks from, links it as bin/veltrane and lists the
# window mode in the application menu (desktop entry, AppStream metainfo,
# hicolor icon); its dependencies are computed from the binary's shared
# libraries by dpkg-shlibdeps (package dpkg-dev).

set(CPACK_PACKAGE_NAME veltrane)
set(CPACK_PACKAGE_VENDOR "The Veltrane developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver growing a tracery over the time of day")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/packages)
set(VELTRANE_MAINTAINER "The Veltrane developers <veltrane@example.org>" CACHE STRING
    "Maintainer named in the Debian package")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME veltrane-${PROJECT_VERSION}-win64)
  # veltrane.scr and its readme at the top of the archive, no folder around them.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION x11)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELTRANE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
  # The summary becomes the Description's first line; CPack indents this
  # body and turns its blank line into Debian's " ." paragraph break.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Veltrane grows a branching tracery of glossy strokes on a black screen.
The strokes gather on a coarse picture of the current time (HH:MM), so the
clock becomes legible in the tracery, while glow particles rise and a
wandering light plays over the strokes. Drawn with OpenGL 1.1.

Started from the application menu it opens in a window. As a screen
saver it runs on idle on GNOME, KDE Plasma, sway and X11 (veltrane
--autostart on), and as a hack for XScreenSaver: pick Veltrane in
xscreensaver-settings. It also renders pictures off-screen, without a
display.")
endif()

# What goes beside the program. Documentation is gzipped with -9n (no name,
# no time stamp) so the package is reproducible, as Debian wants it.
function(veltrane_gzip_for_install source name destination)
  set(plain ${CMAKE_BINARY_DIR}/docs/${name})
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${VELTRANE_GZIP} -9nf ${plain}
    DEPENDS ${source}
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY VELTRANE_BUILT_FILES ${plain}.gz)
  install(FILES ${plain}.gz DESTINATION ${destination})
endfunction()

# The application icon is the largest image of the Windows icon, extracted by
# icotool (package icoutils) at build time, so it can never differ from the
# .ico; icotool writes no time stamp, so the PNG is the same in every build.
# Without icotool the package has no icon (scripts/test-packages fails then).
function(veltrane_icon_for_install ico name)
  find_program(VELTRANE_ICOTOOL icotool)
  if(NOT VELTRANE_ICOTOOL)
    message(STATUS "icotool not found (package icoutils): no application icon")
    return()
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ico})
  execute_process(COMMAND ${VELTRANE_ICOTOOL} -l ${ico} OUTPUT_VARIABLE listing
                  COMMAND_ERROR_IS_FATAL ANY)
  # One line per image: --icon --index=N --width=W --height=H --bit-depth=D ...
  string(REGEX MATCHALL "--icon --index=[0-9]+ --width=[0-9]+ --height=[0-9]+ --bit-depth=[0-9]+"
         images "${listing}")
  set(best_score -1)
  foreach(image IN LISTS images)
    string(REGEX MATCH "index=([0-9]+) --width=([0-9]+) --height=([0-9]+) --bit-depth=([0-9]+)"
           _ "${image}")
    math(EXPR score "${CMAKE_MATCH_2} * 1000 + ${CMAKE_MATCH_4}")
    if(CMAKE_MATCH_2 EQUAL CMAKE_MATCH_3 AND score GREATER best_score)
      set(best_score ${score})
      set(best_index ${CMAKE_MATCH_1})
      set(best_size ${CMAKE_MATCH_2})
    endif()
  endforeach()
  if(NOT DEFINED best_index)
    message(FATAL_ERROR "${ico} holds no square icon image")
  endif()
  set(png ${CMAKE_BINARY_DIR}/icons/${name}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
    COMMAND ${VELTRANE_ICOTOOL} -x -i ${best_index} -o ${png} ${ico}
    DEPENDS ${ico}
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY VELTRANE_BUILT_FILES ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${best_size}x${best_size}/apps)
endfunction()

# The Windows installer: not a CPack generator (CPack's WIX wants the WiX
# toolset, which Debian lacks) but Debian's wixl, run by the veltrane_msi
# target on cmake/packaging/veltrane.wxs. Its inputs are staged in
# <build>/msi, where wixl runs (it finds the icon only by a relative path),
# so a build with another version is made from the same files by running
# wixl -a x64 -D Version=<v> there (see scripts/test-msi).
function(veltrane_msi_target)
  find_program(VELTRANE_WIXL wixl)
  if(NOT VELTRANE_WIXL)
    message(STATUS "wixl not found: no veltrane_msi target")
    return()
  endif()
  set(stage ${CMAKE_BINARY_DIR}/msi)
  set(msi ${CPACK_PACKAGE_DIRECTORY}/veltrane-${PROJECT_VERSION}-win64.msi)
  set(icon ${PROJECT_SOURCE_DIR}/resources/win32/veltrane.ico)
  set(wxs ${PROJECT_SOURCE_DIR}/cmake/packaging/veltrane.wxs)
  # The command runs in the stage folder, so it must exist before the build
  # does (a fresh tree has none).
  file(MAKE_DIRECTORY ${stage})
  add_custom_command(OUTPUT ${msi}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CPACK_PACKAGE_DIRECTORY}
    COMMAND ${CMAKE_STRIP} -o ${stage}/veltrane.scr $<TARGET_FILE:veltrane_scr>
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/LICENSE.txt ${icon} ${stage}
    COMMAND ${VELTRANE_WIXL} -a x64 -D Version=${PROJECT_VERSION} -o ${msi} ${wxs}
    WORKING_DIRECTORY ${stage}
    DEPENDS veltrane_scr ${wxs} ${CMAKE_BINARY_DIR}/LICENSE.txt ${icon}
    VERBATIM)
  add_custom_target(veltrane_msi DEPENDS ${msi})
endfunction()

if(WIN32)
  # Windows users open these with Notepad: CRLF line ends.
  configure_file(${PROJECT_SOURCE_DIR}/cmake/packaging/readme.txt.in
                 ${CMAKE_BINARY_DIR}/readme.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt
                 @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/readme.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)
  veltrane_msi_target()
else()
  find_program(VELTRANE_GZIP gzip REQUIRED)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/veltrane RENAME copyright)
  veltrane_gzip_for_install(${PROJECT_SOURCE_DIR}/docs/veltrane.6 veltrane.6 share/man/man6)
  # Debian wants a changelog in every package; its date is the release's, so
  # the file is the same in every build.
  configure_file(${PROJECT_SOURCE_DIR}/cmake/packaging/changelog.in
                 ${CMAKE_BINARY_DIR}/docs/changelog.source @ONLY)
  veltrane_gzip_for_install(${CMAKE_BINARY_DIR}/docs/changelog.source changelog
                            share/doc/veltrane)
  # `veltrane` on the PATH, for the commands the docs give (veltrane --idle,
  # --autostart) and the desktop entry's Exec.
  if(IS_ABSOLUTE ${VELTRANE_XSCREENSAVER_HACK_DIR})
    set(hack ${VELTRANE_XSCREENSAVER_HACK_DIR}/veltrane)
  else()
    set(hack ../${VELTRANE_XSCREENSAVER_HACK_DIR}/veltrane)
  endif()
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/bin-link)
  file(CREATE_LINK ${hack} ${CMAKE_BINARY_DIR}/bin-link/veltrane SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/bin-link/veltrane DESTINATION bin)
  # The window mode in the application menu. The desktop entry, the metainfo
  # and the icon are named for the application's id, which AppStream wants
  # never to change.
  set(app_id org.example.veltrane)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/${app_id}.desktop
          DESTINATION share/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/${app_id}.metainfo.xml
          DESTINATION share/metainfo)
  veltrane_icon_for_install(${PROJECT_SOURCE_DIR}/resources/win32/veltrane.ico ${app_id})
endif()
# Everything above that is made at build time (documents, the icon); the
# package workflow builds it with the program.
get_property(built GLOBAL PROPERTY VELTRANE_BUILT_FILES)
add_custom_target(veltrane_docs ALL DEPENDS ${built})

include(CPack)
