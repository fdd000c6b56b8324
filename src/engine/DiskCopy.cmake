# The whole-disk copy, built on the storage devices; included from this
# folder's CMakeLists.txt (and by the device tests when that is not there).
add_library(qtr_diskcopy STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DiskCopyJob.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiskCopyProgress.cpp
)
# qtr_engine for the time format shared with the backup's progress window.
target_link_libraries(qtr_diskcopy PUBLIC qtr_devices qtr_engine qtr_options)
