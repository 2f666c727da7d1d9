# Sanitizer builds (scripts/sanitize builds them in folders of their own). OSTREL_SANITIZE names
# the sanitizers for every target of the project, its tools and its tests:
#   address,undefined  memory errors and undefined behaviour; a report stops the program
#   thread             data races between threads
# Qt, Chromium and the system libraries come uninstrumented from the distribution; what their
# reports look like and what the runs leave out is in docs/sanitizers.md.
set(OSTREL_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined or thread (empty: none)")
if(OSTREL_SANITIZE)
  string(REPLACE "," ";" _sanitizers "${OSTREL_SANITIZE}")
  foreach(_sanitizer ${_sanitizers})
    if(NOT _sanitizer MATCHES "^(address|undefined|thread)$")
      message(FATAL_ERROR "OSTREL_SANITIZE: unknown sanitizer '${_sanitizer}' (address, undefined, thread)")
    endif()
  endforeach()
  if("thread" IN_LIST _sanitizers AND "address" IN_LIST _sanitizers)
    message(FATAL_ERROR "OSTREL_SANITIZE: thread cannot be combined with address")
  endif()
  if("thread" IN_LIST _sanitizers AND OSTREL_BUILD_FUZZ)
    message(FATAL_ERROR "OSTREL_SANITIZE: thread cannot be combined with OSTREL_BUILD_FUZZ, whose "
      "targets add -fsanitize=fuzzer,address (tests/fuzz.cmake); build them in a folder of their own")
  endif()
  add_compile_options(-fsanitize=${OSTREL_SANITIZE} -fno-omit-frame-pointer)
  # Undefined behaviour fails the program that shows it, whatever UBSAN_OPTIONS says.
  if("undefined" IN_LIST _sanitizers)
    add_compile_options(-fno-sanitize-recover=undefined)
    # Every program gets cmake/SanitizeReportPath.cpp, which sends GCC's undefined-behaviour
    # reports to UBSAN_OPTIONS's log_path as the other sanitizers' go (the file says why): added
    # once every folder has made its targets.
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _ostrel_sanitize_report_path)
  endif()
  add_link_options(-fsanitize=${OSTREL_SANITIZE})
endif()

function(_ostrel_sanitize_report_path)
  add_library(ostrel_sanitize_report_path OBJECT ${CMAKE_SOURCE_DIR}/cmake/SanitizeReportPath.cpp)
  set_target_properties(ostrel_sanitize_report_path PROPERTIES AUTOMOC OFF)
  _ostrel_sanitize_report_path_into(${CMAKE_SOURCE_DIR})
endfunction()
function(_ostrel_sanitize_report_path_into dir)
  get_property(_targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(_target ${_targets})
    get_target_property(_type ${_target} TYPE)
    if(_type STREQUAL "EXECUTABLE")
      target_sources(${_target} PRIVATE $<TARGET_OBJECTS:ostrel_sanitize_report_path>)
    endif()
  endforeach()
  get_property(_subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(_subdir ${_subdirs})
    _ostrel_sanitize_report_path_into(${_subdir})
  endforeach()
endfunction()

