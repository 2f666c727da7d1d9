# Node-list round trips against the stand-in service, with and without the envelope.
if(TARGET ostrel_networking AND TARGET ostrel_testsupport)
  add_executable(bench_network_envelope ${CMAKE_CURRENT_LIST_DIR}/NetworkEnvelopeBench.cpp)
  target_link_libraries(bench_network_envelope PRIVATE ostrel_networking ostrel_testsupport)
endif()
