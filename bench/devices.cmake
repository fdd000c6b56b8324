# The whole-disk copy between simulated disks; bench/diskcopy-vs-dd runs it beside dd.
add_executable(diskcopy_bench ${CMAKE_CURRENT_LIST_DIR}/DiskCopyBench.cpp)
target_link_libraries(diskcopy_bench PRIVATE qtr_diskcopy qtr_devices qtr_options benchmark::benchmark)
