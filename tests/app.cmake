# Screen tests need a QApplication: the same entry, built with widgets. One folder per screen
# layer, each test linked with its layer.
add_library(ostrel_testsupport_gui STATIC support/TestMain.cpp)
target_link_libraries(ostrel_testsupport_gui PUBLIC ostrel_testsupport Qt6::Widgets)
target_compile_definitions(ostrel_testsupport_gui PRIVATE OSTREL_TEST_WIDGETS
  OSTREL_TEST_RESOURCES="${CMAKE_SOURCE_DIR}/resources" OSTREL_TEST_BUILT_RESOURCES="${OSTREL_BUILT_SHARE_DIR}")

foreach(layer uikit app upgrade web home login settings gallery)
  file(GLOB _gui_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*Test.cpp)
  set(lib ostrel_${layer})
  if(layer STREQUAL "gallery")
    set(lib ostrel_screens)
  endif()
  foreach(src ${_gui_tests})
    get_filename_component(name ${src} NAME_WE)
    set(target ${layer}_${name})
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE ${lib} ostrel_testsupport_gui ostrel_testsupport)
    target_compile_definitions(${target} PRIVATE
      OSTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" OSTREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT 300)
  endforeach()
endforeach()

# The writers on a full disk meet the route lists of the page packages too.
if(TARGET app_WritersOnAFullDiskTest)
  target_link_libraries(app_WritersOnAFullDiskTest PRIVATE ostrel_webcore)
endif()
