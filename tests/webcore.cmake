# The web-core tests run the stand-in service and unpack the page archives built from
# resources/pages, so both must exist before they run.
file(GLOB _webcore_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/webcore/*Test.cpp)
foreach(src ${_webcore_tests})
  get_filename_component(name ${src} NAME_WE)
  if(TARGET webcore_${name})
    foreach(_dep ostrel-standin ostrel_page_archives)
      if(TARGET ${_dep})
        add_dependencies(webcore_${name} ${_dep})
      endif()
    endforeach()
  endif()
endforeach()
