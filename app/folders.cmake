# Choosing and creating the destination folder. The walk over the levels is portable; the disk
# and the chooser dialog are Windows.
add_library(folder_levels STATIC ${CMAKE_CURRENT_LIST_DIR}/folder_levels.cpp)
target_link_libraries(folder_levels PUBLIC naming)

if(WIN32)
  add_library(folders_win32 STATIC
    ${CMAKE_CURRENT_LIST_DIR}/folder_system_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/folder_chooser_win32.cpp)
  target_link_libraries(folders_win32 PUBLIC folder_levels window_win32 tandelo_version user32 gdi32)
endif()
