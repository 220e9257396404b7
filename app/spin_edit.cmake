# The numeric spin field. Its rules are portable; its window is compiled into app_window.
add_library(spin_value STATIC ${CMAKE_CURRENT_LIST_DIR}/spin_value.cpp)
target_link_libraries(spin_value PUBLIC tandelo_options)
