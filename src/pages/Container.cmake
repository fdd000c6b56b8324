# Page container and Quick Activate page, and the windows the container
# opens: a job's progress window and the confirmation window. Their
# decisions live in src/ui. (An include must not return early: the file that
# includes it would stop too.)
if(WIN32)
  add_library(qtr_container STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PageBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageButton.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QuickDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgressWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfirmationDialog.cpp
  )
  target_include_directories(qtr_container PUBLIC ${PROJECT_SOURCE_DIR}/resources)
  target_link_libraries(qtr_container PUBLIC qtr_ui qtr_backup_page qtr_manage_page qtr_settings_pages
    qtr_widgets qtr_diskcopy comctl32)
endif()
