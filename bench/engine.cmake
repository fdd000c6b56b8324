# The LZ77 coder and container; bench/lz77-vs-gzip and bench/backup-vs-robocopy run the peers side by side.
add_executable(lz77_bench ${CMAKE_CURRENT_LIST_DIR}/Lz77Bench.cpp)
include(${PROJECT_SOURCE_DIR}/tests/support/MemoryFileSystem.cmake)
target_link_libraries(lz77_bench PRIVATE qtr_engine qtr_memory_fs qtr_options benchmark::benchmark benchmark::benchmark_main)
