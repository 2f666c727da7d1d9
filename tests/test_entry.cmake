# The test entry's own test runs a small test program that leaves a process running.
add_executable(leftover-probe common/probe/LeftoverProbe.cpp)
target_link_libraries(leftover-probe PRIVATE ostrel_testsupport)
if(TARGET common_TestEntryTest)
  add_dependencies(common_TestEntryTest leftover-probe)
endif()
