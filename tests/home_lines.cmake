# The line widget tests start the stand-in service; the popup's road test also the helper and
# the stand-in engines.
foreach(_t home_LineSelectorTest home_LinePopupRoadTest)
  foreach(_dep ostrel-helper ostrel-standin standin-sslocal-scripted standin-sslocal-relay)
    if(TARGET ${_t} AND TARGET ${_dep})
      add_dependencies(${_t} ${_dep})
    endif()
  endforeach()
endforeach()
