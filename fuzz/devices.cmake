# Parsers of what a disk sends: INQUIRY and READ CAPACITY answers, the password sector, the partition table.
qtr_fuzz_target(fuzz_inquiry ${CMAKE_CURRENT_LIST_DIR}/InquiryFuzz.cpp)
target_link_libraries(fuzz_inquiry PRIVATE qtr_devices)
qtr_fuzz_target(fuzz_password_record ${CMAKE_CURRENT_LIST_DIR}/PasswordRecordFuzz.cpp)
target_link_libraries(fuzz_password_record PRIVATE qtr_devices)
qtr_fuzz_target(fuzz_partition_table ${CMAKE_CURRENT_LIST_DIR}/PartitionTableFuzz.cpp)
target_link_libraries(fuzz_partition_table PRIVATE qtr_devices)
