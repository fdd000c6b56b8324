# Setting page: the decisions behind its controls build everywhere; the
# windows (the page, its sub-pages, the hotkey and time dialogs) on Windows.
add_library(qtr_settings_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BackupSettingsMarks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTypeFilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotKeyRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OthersExtensionField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReminderDays.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScheduleDays.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimeFields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VersionDays.cpp
)
target_link_libraries(qtr_settings_core PUBLIC qtr_ui qtr_config qtr_options)

# The windows (an include must not return early: the file that includes it would stop too).
if(WIN32)
add_library(qtr_settings_pages STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BackUpSetDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotKeyDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OtherSetDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsDialogLook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsSubPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsTabButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimeSet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimingSetDlg.cpp
)
target_include_directories(qtr_settings_pages PUBLIC ${PROJECT_SOURCE_DIR}/resources)
target_link_libraries(qtr_settings_pages PUBLIC qtr_settings_core qtr_backup_page qtr_widgets qtr_devices qtr_config
                      comctl32)
endif()
