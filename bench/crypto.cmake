# SHA-256: the system library against our own routine over the SHA instructions.
add_executable(sha256_bench ${CMAKE_CURRENT_LIST_DIR}/Sha256Bench.cpp)
target_link_libraries(sha256_bench PRIVATE qtr_crypto qtr_options benchmark::benchmark benchmark::benchmark_main)
