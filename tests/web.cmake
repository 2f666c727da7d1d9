# The web-view tests open the shipped page archives, so those are built first. The programs find
# their own display (they run themselves under xvfb-run when there is none).
file(GLOB _web_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/web/*Test.cpp)
foreach(src ${_web_tests})
  get_filename_component(name ${src} NAME_WE)
  if(TARGET web_${name} AND TARGET ostrel_page_archives)
    add_dependencies(web_${name} ostrel_page_archives)
  endif()
endforeach()
# The screen tests that open web pages meet them in-process, as the client does once it loaded
# them, and so run as web-view programs (under a display of their own: WebTestDisplay::ensure()).
# The invitation, discovery and lottery pages are made by name as their openers do, so every
# screen registration is compiled in; the message centre shows a message in a real web view. The
# other screen tests open no page and link none: what they open by a page's name is a placeholder.
foreach(target settings_PagesTest settings_MessageStandinTest)
  if(TARGET ${target})
    target_link_libraries(${target} PRIVATE ostrel_web_screens)
    if(TARGET ostrel_page_archives)
      add_dependencies(${target} ostrel_page_archives)
    endif()
  endif()
endforeach()
if(TARGET settings_PagesTest)
  target_link_libraries(settings_PagesTest PRIVATE ostrel_screens)
endif()
if(TARGET web_WebViewsTest AND TARGET ostrel-standin)
  add_dependencies(web_WebViewsTest ostrel-standin)
endif()
