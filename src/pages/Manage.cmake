# File Management page: two management trees with their drop targets (Windows only).
if(WIN32)
  add_library(qtr_manage_page STATIC ${CMAKE_CURRENT_LIST_DIR}/MangeDialog.cpp)
  target_include_directories(qtr_manage_page PUBLIC ${PROJECT_SOURCE_DIR}/resources)
  target_link_libraries(qtr_manage_page PUBLIC qtr_backup_page qtr_trees qtr_widgets qtr_devices qtr_config
    qtr_options)
endif()
