# Opening the line popup with 2,000 lines and scrolling through them, offscreen.
# Run: build/bin/bench_line_popup [lines]
add_executable(bench_line_popup ${CMAKE_CURRENT_LIST_DIR}/lines/LinePopupBench.cpp)
target_link_libraries(bench_line_popup PRIVATE ostrel_home)
