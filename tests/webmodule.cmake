# The client's road to the web pages: the program is linked as the client is (no Chromium, every
# layer the pages build on carried and exported) and loads the module from the build tree.
if(TARGET ostrel-web)
  add_executable(webmodule_WebModuleTest ${CMAKE_CURRENT_SOURCE_DIR}/webmodule/WebModuleTest.cpp)
  target_link_libraries(webmodule_WebModuleTest PRIVATE ostrel_screens ostrel_testsupport_gui ostrel_testsupport)
  ostrel_hosts_web_module(webmodule_WebModuleTest)
  target_compile_definitions(webmodule_WebModuleTest PRIVATE
    OSTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" OSTREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME webmodule_WebModuleTest COMMAND webmodule_WebModuleTest)
  set_tests_properties(webmodule_WebModuleTest PROPERTIES TIMEOUT 300)
  # It loads the module, and the module's pages run Chromium.
  ostrel_runs_chromium(webmodule_WebModuleTest)
endif()

# The same client without its module: built into a folder of its own, where none is found.
add_executable(webmodule_WebModuleMissingTest ${CMAKE_CURRENT_SOURCE_DIR}/webmodule/WebModuleMissingTest.cpp)
target_link_libraries(webmodule_WebModuleMissingTest PRIVATE ostrel_screens ostrel_testsupport_gui ostrel_testsupport)
ostrel_hosts_web_module(webmodule_WebModuleMissingTest)
set_target_properties(webmodule_WebModuleMissingTest PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/without-web-module/bin)
add_test(NAME webmodule_WebModuleMissingTest COMMAND webmodule_WebModuleMissingTest)
set_tests_properties(webmodule_WebModuleMissingTest PROPERTIES TIMEOUT 300)
