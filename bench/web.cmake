# Resident memory of the client's process tree (the client and Chromium's processes) before and
# after the purchase page is open:   xvfb-run -a bin/bench_web_memory
add_executable(bench_web_memory ${CMAKE_CURRENT_LIST_DIR}/web/WebPageMemoryBench.cpp)
target_link_libraries(bench_web_memory PRIVATE ostrel_web Qt6::Test)
target_compile_definitions(bench_web_memory PRIVATE OSTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
if(TARGET ostrel_page_archives)
  add_dependencies(bench_web_memory ostrel_page_archives)
endif()
