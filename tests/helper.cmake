# Tests that start the helper daemon need it built first.
foreach(_t helper_HelperDaemonTest helper_GSettingsBackendTest helper_InstallScriptTest vpn_PrivilegedHelperManagerTest vpn_HelperClientTest)
  if(TARGET ${_t} AND TARGET ostrel-helper)
    add_dependencies(${_t} ostrel-helper)
  endif()
endforeach()
