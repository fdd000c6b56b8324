# Page container, triggers, schedule and completion actions: their decisions,
# natively and under Wine.
add_executable(qtr_container_tests
  StartSequenceTest.cpp
  BackupHandOverTest.cpp
  LastBackupLineTest.cpp
  ../shell/BackupTriggersTest.cpp
  ../shell/CompletionActionTest.cpp
  ../shell/ScheduleCheckTest.cpp
)
target_link_libraries(qtr_container_tests PRIVATE qtr_container_core qtr_shell_core qtr_test_support qtr_options
  GTest::gtest_main)
add_test(NAME container COMMAND qtr_container_tests)
