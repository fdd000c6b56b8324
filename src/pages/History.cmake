# The History window (Windows only; what it shows is decided in qtr_ui).
if(WIN32)
add_library(qtr_history_page STATIC
  ${CMAKE_CURRENT_LIST_DIR}/HistoryWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryWindowOpen.cpp
)
target_include_directories(qtr_history_page PUBLIC ${PROJECT_SOURCE_DIR}/resources)
target_link_libraries(qtr_history_page PUBLIC qtr_ui qtr_widgets qtr_config comctl32)
endif()
