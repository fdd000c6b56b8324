# The page container as a window, under Wine and Xvfb.
if(WIN32)
  add_executable(qtr_container_window_tests PageBoxWindowTest.cpp ../devices/DeviceTestSupport.cpp
    ${PROJECT_SOURCE_DIR}/resources/QtrBackup.rc)
  target_include_directories(qtr_container_window_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../devices)
  target_link_libraries(qtr_container_window_tests PRIVATE qtr_container qtr_test_support qtr_options
    GTest::gtest_main)
  qtr_copy_language_folder(qtr_container_window_tests)
  add_test(NAME container_windows COMMAND qtr_container_window_tests)
  set_tests_properties(container_windows PROPERTIES LABELS window RESOURCE_LOCK drive_letters)
endif()

# "Verify backup" of the File Backup page, through the container and the progress window.
if(WIN32)
  add_executable(qtr_verify_command_tests VerifyCommandWindowTest.cpp ../devices/DeviceTestSupport.cpp
    ${PROJECT_SOURCE_DIR}/resources/QtrBackup.rc)
  target_include_directories(qtr_verify_command_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../devices)
  target_link_libraries(qtr_verify_command_tests PRIVATE qtr_container qtr_test_support qtr_options
    GTest::gtest_main)
  qtr_copy_language_folder(qtr_verify_command_tests)
  add_test(NAME verify_command COMMAND qtr_verify_command_tests)
  set_tests_properties(verify_command PROPERTIES LABELS window RESOURCE_LOCK drive_letters)
endif()
