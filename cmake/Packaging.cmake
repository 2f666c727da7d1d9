# The client as a Debian package ("cpack -G DEB" in the build folder, or scripts/package). The
# self-upgrade downloads exactly such a package and its install script checks that the file is a
# package named ${CPACK_PACKAGE_NAME}: keep the two in step (resources/update_new_version.sh).
install(TARGETS ostrel ostrel-helper ostrel-engine-guard RUNTIME DESTINATION bin)
# The web pages, loaded on first use from ../lib/ostrel beside bin/ (app/WebModule.h).
install(TARGETS ostrel-web LIBRARY DESTINATION lib/ostrel)
# The "bundle": share/ostrel beside bin/, as in the build tree. Scripts keep their modes.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/ DESTINATION share/ostrel USE_SOURCE_PERMISSIONS)
# What the build made from it (the page archives, built with the client), share/ostrel-built.
install(DIRECTORY ${OSTREL_BUILT_SHARE_DIR}/ DESTINATION share/ostrel-built)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop client of the Ostrel proxy service")
set(CPACK_PACKAGE_CONTACT "Ostrel developers <dev@ostrel.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries come from the binaries themselves; pkexec runs the install scripts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "pkexec, fonts-noto-cjk")
# The QR reader is opened at run time, so the binaries do not name it.
if(ZBAR_FOUND)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libzbar0")
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
