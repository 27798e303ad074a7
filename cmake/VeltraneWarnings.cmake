# Warnings stay on for every build of ours; turning them into errors is for our
# own presets and CI only. A user's or a packager's plain configure must build
# with whatever compiler version they have, whose new warnings we have not seen.
option(VELTRANE_WERROR "Treat compiler warnings as errors (our presets and CI)" OFF)

# veltrane_strict(<target>): the project's warnings for our own code only.
# Third-party headers (GoogleTest, Benchmark, GL) come in as system includes.
function(veltrane_strict target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Wunused -Woverloaded-virtual -Wconversion -Wsign-conversion
    -Wnull-dereference -Wdouble-promotion -Wformat=2)
  if(VELTRANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
