# The web-view tests open the shipped page archives, so those are built first. The programs find
# their own display (they run themselves under xvfb-run when there is none).
file(GLOB _web_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/web/*Test.cpp)
foreach(src ${_web_tests})
  get_filename_component(name ${src} NAME_WE)
  if(TARGET web_${name} AND TARGET ostrel_page_archives)
    add_dependencies(web_${name} ostrel_page_archives)
  endif()
endforeach()
if(TARGET web_WebViewsTest AND TARGET ostrel-standin)
  add_dependencies(web_WebViewsTest ostrel-standin)
endif()
