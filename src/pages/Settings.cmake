# Setting page: the decisions behind its controls build everywhere; the
# windows (the page, its sub-pages, the hotkey and time dialogs) on Windows.
add_library(qtr_settings_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BackupSettingsMarks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTypeFilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotKeyRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OthersExtensionField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScheduleDays.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimeFields.cpp
)
target_link_libraries(qtr_settings_core PUBLIC qtr_config qtr_options)
