# The engine tests start the stand-in engines: build those first.
foreach(test vpn_EngineControllerTest vpn_EngineInstallerTest vpn_RelayChainTest)
  if(TARGET ${test})
    add_dependencies(${test} standin-sslocal-scripted standin-sslocal-relay standin-sing-box)
  endif()
endforeach()
# An engine runs under the guard found beside the program: these tests check the guard's work, so
# building one of them alone builds the guard too.
foreach(test vpn_EngineControllerTest vpn_EngineRecordTest)
  if(TARGET ${test})
    add_dependencies(${test} ostrel-engine-guard)
  endif()
endforeach()
