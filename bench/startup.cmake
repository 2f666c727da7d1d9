# Start-up of the client against the least Qt window showing the same text, under Xvfb:
#   bench/startup/run [runs]
find_package(PkgConfig REQUIRED)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)

add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/startup/StartupBench.cpp)
target_link_libraries(bench_startup PRIVATE PkgConfig::XCB)

add_executable(bench_startup_baseline ${CMAKE_CURRENT_LIST_DIR}/startup/BaselineWindow.cpp)
target_link_libraries(bench_startup_baseline PRIVATE Qt6::Widgets)

add_executable(bench_startup_profile ${CMAKE_CURRENT_LIST_DIR}/startup/SignedInProfile.cpp)
target_link_libraries(bench_startup_profile PRIVATE ostrel_common)

# The client as it was linked before the web pages became a module: Chromium, Qt Quick and the
# pages in the binary. bench/startup/run measures it beside the client ("linked").
add_executable(bench_startup_linked_client ${CMAKE_SOURCE_DIR}/src/ostrel/main.cpp)
target_link_libraries(bench_startup_linked_client PRIVATE ostrel_screens ostrel_web_screens)
if(ZBAR_FOUND)
  target_link_libraries(bench_startup_linked_client PRIVATE PkgConfig::ZBAR)
endif()
