# Included by bench/CMakeLists.txt: µs per tick of the headless tracery model.
add_executable(bench_tracery ${CMAKE_CURRENT_LIST_DIR}/bench_tracery.cpp)
target_link_libraries(bench_tracery PRIVATE veltrane_tracery benchmark::benchmark)
veltrane_strict(bench_tracery)
