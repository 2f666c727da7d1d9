# Stand-in engines for the tests and the demo: a scripted one that prints markers on cue, and one
# that relays for real through Debian's ss-local.
add_executable(standin-sslocal-scripted ${CMAKE_CURRENT_LIST_DIR}/engines/ScriptedEngine.cpp)

add_executable(standin-sslocal-relay ${CMAKE_CURRENT_LIST_DIR}/engines/RelayEngine.cpp)
# The relay's own configuration is written as the client writes its files (whole or not at all);
# that one source, not the whole common library, goes into the engine.
target_sources(standin-sslocal-relay PRIVATE ${CMAKE_SOURCE_DIR}/src/common/WholeFile.cpp)
target_include_directories(standin-sslocal-relay PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(standin-sslocal-relay PRIVATE Qt6::Core Qt6::Network)

add_executable(standin-sing-box ${CMAKE_CURRENT_LIST_DIR}/engines/TunEngine.cpp)
target_link_libraries(standin-sing-box PRIVATE Qt6::Core)
