# Tests that listen on 127.0.0.1:9999, the client's fixed local listener, never run at once.
foreach(t vpn_ConnectEndToEndTest vpn_RelayChainTest)
  if(TEST ${t})
    set_tests_properties(${t} PROPERTIES RESOURCE_LOCK loopback_port_9999)
  endif()
endforeach()
