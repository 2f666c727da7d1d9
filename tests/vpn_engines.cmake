# The engine tests start the stand-in engines: build those first.
foreach(test vpn_EngineControllerTest vpn_EngineInstallerTest vpn_RelayChainTest)
  if(TARGET ${test})
    add_dependencies(${test} standin-sslocal-scripted standin-sslocal-relay standin-sing-box)
  endif()
endforeach()
