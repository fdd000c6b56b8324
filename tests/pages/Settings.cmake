# Setting page: the decisions behind its controls, natively and under Wine.
add_executable(qtr_settings_tests FileTypeFilterTest.cpp OthersExtensionFieldTest.cpp TimeFieldsTest.cpp
  HotKeyRulesTest.cpp BackupSettingsMarksTest.cpp ScheduleDaysTest.cpp ReminderDaysTest.cpp
  VersionDaysTest.cpp)
target_link_libraries(qtr_settings_tests PRIVATE qtr_settings_core qtr_test_support qtr_options GTest::gtest_main)
add_test(NAME settings COMMAND qtr_settings_tests)

if(WIN32)
  # The Setting page's windows under Wine and Xvfb.
  add_executable(qtr_settings_window_tests
    HotKeyDialogTest.cpp
    SetDialogTest.cpp
    TimeSetTest.cpp
    ${PROJECT_SOURCE_DIR}/resources/QtrBackup.rc
  )
  target_link_libraries(qtr_settings_window_tests PRIVATE qtr_settings_pages qtr_test_support qtr_options
                        GTest::gtest_main)
  target_compile_definitions(qtr_settings_window_tests PRIVATE
                             QTR_RESOURCES_FOLDER="${PROJECT_SOURCE_DIR}/resources")
  add_test(NAME settings_windows COMMAND qtr_settings_window_tests)
  set_tests_properties(settings_windows PROPERTIES LABELS window RESOURCE_LOCK desktop)
endif()

if(WIN32)
  # The Setting page in a window of its own, for the screenshot scenes.
  add_executable(qtr_settings_preview SettingsPreview.cpp ${PROJECT_SOURCE_DIR}/resources/QtrBackup.rc)
  target_link_libraries(qtr_settings_preview PRIVATE qtr_settings_pages qtr_options)
  target_link_options(qtr_settings_preview PRIVATE -municode)
  qtr_copy_language_folder(qtr_settings_preview)
endif()
