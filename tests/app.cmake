# Screen tests need a QApplication: the same entry, built with widgets.
if(TARGET ostrel_app)
  add_library(ostrel_testsupport_gui STATIC support/TestMain.cpp)
  target_link_libraries(ostrel_testsupport_gui PUBLIC ostrel_testsupport Qt6::Widgets)
  target_compile_definitions(ostrel_testsupport_gui PRIVATE OSTREL_TEST_WIDGETS
    OSTREL_TEST_RESOURCES="${CMAKE_SOURCE_DIR}/resources")

  file(GLOB _app_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/app/*Test.cpp)
  foreach(src ${_app_tests})
    get_filename_component(name ${src} NAME_WE)
    set(target app_${name})
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE ostrel_app ostrel_testsupport_gui ostrel_testsupport)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OSTREL_TEST=1")
    if(TARGET ostrel-standin)
      add_dependencies(${target} ostrel-standin)
    endif()
  endforeach()
endif()
