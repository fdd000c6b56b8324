# Page container and Quick Activate page: the start sequences and the
# hand-over (portable), and on Windows the two windows themselves.
add_library(qtr_container_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BackupHandOver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LastBackupLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StartSequence.cpp
  # The backup password and the key of an encrypted store before a job starts.
  ${CMAKE_CURRENT_LIST_DIR}/BackupPasswordSet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StoreKeyFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StoreKeyPrompt.cpp
)
target_link_libraries(qtr_container_core PUBLIC qtr_diskcopy qtr_engine qtr_config qtr_options)

# The windows (an include must not return early: the file that includes it would stop too).
if(WIN32)
  add_library(qtr_container STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PageBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageButton.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QuickDialog.cpp
  )
  target_include_directories(qtr_container PUBLIC ${PROJECT_SOURCE_DIR}/resources)
  # The main window (qtr_shell) holds the container, and the container the shell's
  # progress and confirmation windows: the two static libraries refer to each other.
  target_link_libraries(qtr_container PUBLIC qtr_container_core qtr_backup_page qtr_manage_page qtr_settings_pages qtr_shell
    qtr_widgets comctl32)
endif()
