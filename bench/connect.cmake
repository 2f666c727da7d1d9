# The client's own time on the connect road, against the stand-in service, the helper daemon and
# the scripted stand-in engine. Run: build/bin/bench_connect [rounds]
add_executable(bench_connect ${CMAKE_CURRENT_LIST_DIR}/connect/ConnectBench.cpp)
target_link_libraries(bench_connect PRIVATE ostrel_vpn)
add_dependencies(bench_connect ostrel-standin ostrel-helper standin-sslocal-scripted)
