# Resident memory of the client's process tree (the client and Chromium's processes) before and
# after the purchase page is open:   xvfb-run -a bin/bench_web_memory
add_executable(bench_web_memory ${CMAKE_CURRENT_LIST_DIR}/web/WebPageMemoryBench.cpp)
target_link_libraries(bench_web_memory PRIVATE ostrel_web Qt6::Test)
target_compile_definitions(bench_web_memory PRIVATE OSTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
if(TARGET ostrel_page_archives)
  add_dependencies(bench_web_memory ostrel_page_archives)
endif()

# The first page of a run, linked as the client is (the pages come from the module on the ask) and,
# for comparison, with the pages linked in:   bench/web/first-page [runs]
add_executable(bench_web_first_page ${CMAKE_CURRENT_LIST_DIR}/web/FirstPageBench.cpp)
target_link_libraries(bench_web_first_page PRIVATE ostrel_screens Qt6::Test)
ostrel_hosts_web_module(bench_web_first_page)
add_executable(bench_web_first_page_linked ${CMAKE_CURRENT_LIST_DIR}/web/FirstPageBench.cpp)
target_link_libraries(bench_web_first_page_linked PRIVATE ostrel_screens ostrel_web_screens Qt6::Test)
foreach(_t bench_web_first_page bench_web_first_page_linked)
  if(TARGET ostrel_page_archives)
    add_dependencies(${_t} ostrel_page_archives)
  endif()
endforeach()
