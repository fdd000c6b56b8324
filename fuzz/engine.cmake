# The stored-file reader and the block decoder of the engine.
qtr_fuzz_target(fuzz_container_read ContainerReadFuzz.cpp)
include(${PROJECT_SOURCE_DIR}/tests/support/MemoryFileSystem.cmake)
target_link_libraries(fuzz_container_read PRIVATE qtr_engine qtr_memory_fs)
