# File Backup page and the disk password dialogs (Windows only).
if(WIN32)
  add_library(qtr_backup_page STATIC
    ${CMAKE_CURRENT_LIST_DIR}/BackUpDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PasswordDialogFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PasswordSetDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PasswordVerficateDlg.cpp
    # The backup password and the password of an encrypted store.
    ${CMAKE_CURRENT_LIST_DIR}/StorePasswordDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StoreKeyDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WhileWindowsAnswer.cpp
  )
  target_include_directories(qtr_backup_page PUBLIC ${PROJECT_SOURCE_DIR}/resources)
  target_link_libraries(qtr_backup_page PUBLIC qtr_trees qtr_widgets qtr_devices qtr_config qtr_options)
  # The backup password's set rule and the store key decisions.
  target_link_libraries(qtr_backup_page PUBLIC qtr_ui)
endif()
