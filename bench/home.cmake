# CPU time of the home screen with the running animation on screen and with the window
# minimised:   xvfb-run -a bin/bench_home_idle_cpu [seconds]
add_executable(bench_home_idle_cpu ${CMAKE_CURRENT_LIST_DIR}/home/HomeIdleCpuBench.cpp)
target_link_libraries(bench_home_idle_cpu PRIVATE ostrel_home)
