# The History window under Wine and Xvfb.
if(WIN32)
  add_executable(qtr_history_window_tests HistoryWindowTest.cpp ${PROJECT_SOURCE_DIR}/resources/QtrBackup.rc)
  target_link_libraries(qtr_history_window_tests PRIVATE qtr_history_page qtr_test_support qtr_options
    GTest::gtest_main)
  qtr_copy_language_folder(qtr_history_window_tests)
  add_test(NAME history_window COMMAND qtr_history_window_tests)
  set_tests_properties(history_window PROPERTIES LABELS window RESOURCE_LOCK desktop)
endif()

if(WIN32)
  # The History window on its own, for the screenshot scenes.
  add_executable(qtr_history_preview HistoryPreview.cpp ${PROJECT_SOURCE_DIR}/resources/QtrBackup.rc)
  target_link_libraries(qtr_history_preview PRIVATE qtr_history_page qtr_options)
  target_link_options(qtr_history_preview PRIVATE -municode)
  qtr_copy_language_folder(qtr_history_preview)
endif()

if(WIN32)
  # bench/history-window-vs-listview: the window with a full history beside a plain list.
  add_executable(history_window_bench ${PROJECT_SOURCE_DIR}/bench/HistoryWindowBench.cpp
    ${PROJECT_SOURCE_DIR}/resources/QtrBackup.rc)
  target_link_libraries(history_window_bench PRIVATE qtr_history_page qtr_options)
  target_link_options(history_window_bench PRIVATE -municode)
endif()
