# Sanitizer builds (scripts/sanitize builds them in folders of their own). OSTREL_SANITIZE names
# the sanitizers for every target of the project, its tools and its tests:
#   address,undefined  memory errors and undefined behaviour; a report stops the program
#   thread             data races between threads
# Qt, Chromium and the system libraries come uninstrumented from the distribution; what their
# reports look like and which of them are suppressed is in docs/sanitizers.md.
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
  add_compile_options(-fsanitize=${OSTREL_SANITIZE} -fno-omit-frame-pointer)
  # Undefined behaviour fails the program that shows it, whatever UBSAN_OPTIONS says.
  if("undefined" IN_LIST _sanitizers)
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
  add_link_options(-fsanitize=${OSTREL_SANITIZE})
endif()
