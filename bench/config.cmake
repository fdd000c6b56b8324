# The selection files of the program folder at 10,000 paths.
add_executable(selection_bench ${CMAKE_CURRENT_LIST_DIR}/SelectionFilesBench.cpp)
target_link_libraries(selection_bench PRIVATE qtr_config qtr_options benchmark::benchmark benchmark::benchmark_main)
