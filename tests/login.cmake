# The sign-out test runs the real helper and the stand-in engines: build them first.
if(TARGET login_SignOutTest)
  foreach(dep ostrel-helper standin-sslocal-scripted standin-sslocal-relay)
    if(TARGET ${dep})
      add_dependencies(login_SignOutTest ${dep})
    endif()
  endforeach()
endif()
