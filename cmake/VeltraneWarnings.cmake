# veltrane_strict(<target>): warnings as errors for our own code only.
# Third-party headers (GoogleTest, Benchmark, GL) come in as system includes.
function(veltrane_strict target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Wunused -Woverloaded-virtual -Wconversion -Wsign-conversion
    -Wnull-dereference -Wdouble-promotion -Wformat=2 -Werror)
endfunction()
