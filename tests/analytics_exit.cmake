# The analytics exit test runs a small program that tracks events and ends at once, many times.
add_executable(analytics-exit-probe networking/exit/AnalyticsExitProbe.cpp)
target_link_libraries(analytics-exit-probe PRIVATE ostrel_networking)
target_include_directories(analytics-exit-probe PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(analytics-exit-probe PRIVATE OSTREL_TEST_RESOURCES="${CMAKE_SOURCE_DIR}/resources")
