# The button picture and caption engine: portable layout and slot bookkeeping, and the Windows
# drawing on top of them.
add_library(glyph_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/glyph_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/glyph_slots.cpp)
target_link_libraries(glyph_core PUBLIC tandelo_options)

if(WIN32)
  add_library(button_glyph_win32 STATIC
    ${CMAKE_CURRENT_LIST_DIR}/button_glyph_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/glyph_list_win32.cpp)
  target_link_libraries(button_glyph_win32 PUBLIC glyph_core comctl32 gdi32)
endif()
