# The sign-out test runs the real helper and the stand-in engines: build them first.
if(TARGET login_SignOutTest)
  foreach(dep ostrel-helper standin-sslocal-scripted standin-sslocal-relay)
    if(TARGET ${dep})
      add_dependencies(login_SignOutTest ${dep})
    endif()
  endforeach()
endif()
# The registration test opens the sheets by the names the client's registration file gives them,
# so a misspelt name there fails it.
if(TARGET login_RegisterFlowTest)
  target_sources(login_RegisterFlowTest PRIVATE ${CMAKE_SOURCE_DIR}/src/login/register/RegisterScreenRegistration.cpp)
endif()
