# Tests that start the stand-in service as a process need it built first.
foreach(_t networking_StandinServiceTest networking_OONetWorkPipelineTest networking_OONetWorkToolEndpointsTest networking_OOHostSafeAdpterTest)
  if(TARGET ${_t} AND TARGET ostrel-standin)
    add_dependencies(${_t} ostrel-standin)
  endif()
endforeach()
