# File Backup page and the disk password dialogs, with simulated disks; scripts/test runs them under Xvfb.
if(WIN32)
  add_executable(qtr_backup_page_tests
    ${CMAKE_CURRENT_LIST_DIR}/BackUpPageWindowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PasswordDialogWindowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WhileWindowsAnswerWindowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../devices/DeviceTestSupport.cpp
    ${PROJECT_SOURCE_DIR}/resources/QtrBackup.rc
  )
  target_include_directories(qtr_backup_page_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../devices)
  target_link_libraries(qtr_backup_page_tests PRIVATE qtr_backup_page qtr_test_support qtr_options GTest::gtest_main)
  qtr_copy_language_folder(qtr_backup_page_tests)
  add_test(NAME backup_page COMMAND qtr_backup_page_tests)
  set_tests_properties(backup_page PROPERTIES LABELS window RESOURCE_LOCK drive_letters)
endif()
