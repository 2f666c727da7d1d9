# The walk through the whole program: it meets every screen the way the program makes them (by
# their factory names) and real web pages, so it links every screen registration and needs the
# page archives and the stand-in service built. It finds its own display (xvfb-run) like the
# web-view tests.
if(TARGET app_AppWalkthroughTest)
  target_link_libraries(app_AppWalkthroughTest PRIVATE ostrel_screens ostrel_web_screens)
  if(TARGET ostrel_page_archives)
    add_dependencies(app_AppWalkthroughTest ostrel_page_archives)
  endif()
  set_tests_properties(app_AppWalkthroughTest PROPERTIES TIMEOUT 600)
endif()
