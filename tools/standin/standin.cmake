# The loopback stand-in of the service: speaks the client's protocol from docs/protocol.md.
pkg_check_modules(STANDIN_LIBZIP REQUIRED IMPORTED_TARGET libzip)
add_executable(ostrel-standin
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandinProtocol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandinProtocol.h
  ${CMAKE_CURRENT_LIST_DIR}/StandinState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandinState.h
  ${CMAKE_CURRENT_LIST_DIR}/StandinArchives.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandinArchives.h
  ${CMAKE_CURRENT_LIST_DIR}/StandinPageData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandinPageData.h
  ${CMAKE_CURRENT_LIST_DIR}/StandinDocuments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandinDocuments.h
  ${CMAKE_CURRENT_LIST_DIR}/StandinFlags.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandinFlags.h
  ${CMAKE_CURRENT_LIST_DIR}/StandinInstaller.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandinInstaller.h
  ${CMAKE_CURRENT_LIST_DIR}/StandinServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandinServer.h)
# zlib: the gzip-encoded endless body.
find_package(ZLIB REQUIRED)
target_link_libraries(ostrel-standin PRIVATE ostrel_common PkgConfig::HTTPLIB PkgConfig::STANDIN_LIBZIP Threads::Threads
  ZLIB::ZLIB)
find_package(Threads REQUIRED)
