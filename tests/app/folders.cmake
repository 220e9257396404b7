tandelo_add_test(folder_levels_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/folder_levels_test.cpp LIBS folder_levels)

if(WIN32)
  tandelo_add_test(folders_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/folder_chooser_win32_test.cpp
    LIBS folders_win32 message_box_watcher temp_folder)
endif()
