# Setting page: the decisions behind its controls, natively and under Wine.
add_executable(qtr_settings_tests SettingsRulesTest.cpp ScheduleDaysTest.cpp)
target_link_libraries(qtr_settings_tests PRIVATE qtr_settings_core qtr_test_support qtr_options GTest::gtest_main)
add_test(NAME settings COMMAND qtr_settings_tests)
