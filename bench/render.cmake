# Frame time of the Loader on the software renderer, beside a bare evaluator loop.
add_executable(bench_render bench_render.cpp)
target_link_libraries(bench_render PRIVATE veltrane_snapshot benchmark::benchmark)
veltrane_strict(bench_render)

