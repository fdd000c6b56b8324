# File Management page with a simulated disk and a mapped drive, under Xvfb.
if(WIN32)
  add_executable(qtr_manage_page_tests
    ${CMAKE_CURRENT_LIST_DIR}/ManagePageWindowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../devices/DeviceTestSupport.cpp
    ${PROJECT_SOURCE_DIR}/resources/QtrBackup.rc
  )
  target_include_directories(qtr_manage_page_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../devices)
  target_link_libraries(qtr_manage_page_tests PRIVATE qtr_manage_page qtr_test_support qtr_options GTest::gtest_main)
  qtr_copy_language_folder(qtr_manage_page_tests)
  add_test(NAME manage_page COMMAND qtr_manage_page_tests)
  set_tests_properties(manage_page PROPERTIES LABELS window RESOURCE_LOCK drive_letters)
endif()
