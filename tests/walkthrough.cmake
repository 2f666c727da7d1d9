# The walks through the whole program: they meet every screen the way the program makes them (by
# their factory names) and real web pages, so they link every screen registration. They find their
# own display (xvfb-run) like the web-view tests.
foreach(target app_AppWalkthroughTest app_PagesOnScreenTest)
  if(TARGET ${target})
    target_link_libraries(${target} PRIVATE ostrel_screens ostrel_web_screens)
    set_tests_properties(${target} PROPERTIES TIMEOUT 600)
    ostrel_runs_chromium(${target})
  endif()
endforeach()
