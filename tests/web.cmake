# The web-view tests open the shipped page archives, so those are built first. The programs find
# their own display (they run themselves under xvfb-run when there is none).
file(GLOB _web_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/web/*Test.cpp)
foreach(src ${_web_tests})
  get_filename_component(name ${src} NAME_WE)
  if(TARGET web_${name} AND TARGET ostrel_page_archives)
    add_dependencies(web_${name} ostrel_page_archives)
  endif()
endforeach()
# The invitation, discovery and lottery pages are web-view tests of the settings layer; they make
# the pages by name as their openers do, so every screen registration is compiled in.
if(TARGET settings_PagesTest AND TARGET ostrel_page_archives)
  add_dependencies(settings_PagesTest ostrel_page_archives)
  target_link_libraries(settings_PagesTest PRIVATE ostrel_screens)
endif()
if(TARGET web_WebViewsTest AND TARGET ostrel-standin)
  add_dependencies(web_WebViewsTest ostrel-standin)
endif()
