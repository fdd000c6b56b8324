# The fault-injecting in-memory volume. A test double: the tests, benches and
# fuzz targets link it, the program never does. Included from each of those
# trees, as the bench and fuzz builds leave the tests out.
if(NOT TARGET qtr_memory_fs)
  add_library(qtr_memory_fs STATIC ${CMAKE_CURRENT_LIST_DIR}/MemoryFileSystem.cpp)
  target_link_libraries(qtr_memory_fs PUBLIC qtr_platform qtr_options)
  target_include_directories(qtr_memory_fs PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
endif()
