# Resident memory of the helper daemon after a burst of requests (run: bin/bench_helper_memory).
if(TARGET ostrel-helper)
  add_executable(bench_helper_memory ${CMAKE_CURRENT_LIST_DIR}/helper_memory.cpp)
  target_link_libraries(bench_helper_memory PRIVATE Qt6::Core Qt6::Network)
  target_compile_definitions(bench_helper_memory PRIVATE OSTREL_HELPER_PATH="$<TARGET_FILE:ostrel-helper>")
  add_dependencies(bench_helper_memory ostrel-helper)
endif()
