# A timed program: the preview window against generating the names it shows, and against a bare
# multi-line edit given the same text, run under Wine.
add_executable(preview_bench ${CMAKE_CURRENT_LIST_DIR}/preview_bench_win32.cpp)
target_link_libraries(preview_bench PRIVATE preview_win32 naming psapi)
