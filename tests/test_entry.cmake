# The test entry's own test runs small programs: test programs that leave a process running or
# write down what they meet, and a plain program that prints its install folder.
add_executable(leftover-probe common/probe/LeftoverProbe.cpp)
target_link_libraries(leftover-probe PRIVATE ostrel_testsupport)
add_executable(entry-probe common/probe/EntryProbe.cpp)
target_link_libraries(entry-probe PRIVATE ostrel_testsupport Qt6::DBus)
add_executable(install-folder-probe common/probe/InstallFolderProbe.cpp)
target_link_libraries(install-folder-probe PRIVATE ostrel_common)
add_executable(skip-probe common/probe/SkipProbe.cpp)
target_link_libraries(skip-probe PRIVATE ostrel_testsupport)
# The skip test runs the helper's gsettings case without its tools.
if(TARGET common_WantedSkipTest AND TARGET helper_GSettingsBackendTest)
  add_dependencies(common_WantedSkipTest helper_GSettingsBackendTest)
endif()
