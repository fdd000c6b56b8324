# The stored-file reader and the block decoder of the engine.
qtr_fuzz_target(fuzz_container_read ContainerReadFuzz.cpp)
target_link_libraries(fuzz_container_read PRIVATE qtr_engine)
