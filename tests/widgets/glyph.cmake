tandelo_add_test(glyph_core_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/glyph_layout_test.cpp ${CMAKE_CURRENT_LIST_DIR}/glyph_slots_test.cpp
  LIBS glyph_core)

if(WIN32)
  tandelo_add_test(button_glyph_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/button_glyph_win32_test.cpp
    LIBS button_glyph_win32)
endif()
