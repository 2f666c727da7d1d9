# The walks through the whole program: they meet every screen the way the program makes them (by
# their factory names) and real web pages, so they link every screen registration and need the
# page archives and the stand-in service built. They find their own display (xvfb-run) like the
# web-view tests.
foreach(target app_AppWalkthroughTest app_PagesOnScreenTest)
  if(TARGET ${target})
    target_link_libraries(${target} PRIVATE ostrel_screens ostrel_web_screens)
    if(TARGET ostrel_page_archives)
      add_dependencies(${target} ostrel_page_archives)
    endif()
    set_tests_properties(${target} PROPERTIES TIMEOUT 600)
  endif()
endforeach()
