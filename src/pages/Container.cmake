# Page container and Quick Activate page: the start sequences and the
# hand-over (portable), and on Windows the two windows themselves.
add_library(qtr_container_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BackupHandOver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LastBackupLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StartSequence.cpp
)
target_link_libraries(qtr_container_core PUBLIC qtr_diskcopy qtr_engine qtr_config qtr_options)
