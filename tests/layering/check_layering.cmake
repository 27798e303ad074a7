# Fails on any #include "..." in the program's sources that reaches a folder
# of the same layer or a higher one than the including file's own:
#   host/app
#   host/x11  host/wayland  host/headless  host/win32  host/idle
#   host/common  host/posix  host/egl  host/wayland_client
#   render
#   tracery
#   kernel  resources
# A folder may use its own files and those of every lower layer, never a peer.
# Run as: cmake -DSOURCE_DIR=<tree> -P check_layering.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<tree> -P check_layering.cmake")
endif()

set(layer_kernel 0)
set(layer_resources 0)
set(layer_tracery 1)
set(layer_render 2)
set(layer_host/common 3)
set(layer_host/posix 3)
set(layer_host/egl 3)
set(layer_host/wayland_client 3)
set(layer_host/x11 4)
set(layer_host/wayland 4)
set(layer_host/headless 4)
set(layer_host/win32 4)
set(layer_host/idle 4)
set(layer_host/app 5)

# The folder a path (relative to the tree) belongs to: host/<name> or its
# first component. Empty for a path outside the layered folders.
function(owning_folder path out)
  string(REGEX MATCH "^host/[^/]+" folder "${path}")
  if(NOT folder)
    string(REGEX MATCH "^[^/]+" folder "${path}")
  endif()
  if(DEFINED layer_${folder})
    set(${out} "${folder}" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
  "${SOURCE_DIR}/kernel/*.h" "${SOURCE_DIR}/kernel/*.cpp"
  "${SOURCE_DIR}/tracery/*.h" "${SOURCE_DIR}/tracery/*.cpp"
  "${SOURCE_DIR}/render/*.h" "${SOURCE_DIR}/render/*.cpp"
  "${SOURCE_DIR}/resources/*.h" "${SOURCE_DIR}/resources/*.cpp"
  "${SOURCE_DIR}/host/*.h" "${SOURCE_DIR}/host/*.cpp")

set(violations 0)
set(checked 0)
foreach(source ${sources})
  owning_folder("${source}" from)
  if(NOT from)
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
    owning_folder("${included}" to)
    if(NOT to OR to STREQUAL from)
      continue()
    endif()
    if(NOT layer_${to} LESS layer_${from})
      message(SEND_ERROR "${source} includes ${included}: ${from} may not use ${to}")
      math(EXPR violations "${violations} + 1")
    endif()
  endforeach()
endforeach()

if(violations GREATER 0)
  message(FATAL_ERROR "${violations} include(s) against the layers")
endif()
message(STATUS "${checked} files, every include follows the layers")
