# libFuzzer targets for every parser that reads what others wrote. Built only with clang and
# OSTREL_BUILD_FUZZ=ON, in their own build folder, with the libraries instrumented too:
#   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
#         -DOSTREL_BUILD_FUZZ=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address
#   cmake --build build-fuzz --target ostrel_fuzzers
#   build-fuzz/bin/fuzz_response_decoding -max_total_time=20 tests/fuzz/corpus/response_decoding
# scripts/test runs each for a bounded time on a copy of its seed corpus.
if(OSTREL_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "OSTREL_BUILD_FUZZ needs clang (libFuzzer)")
  endif()
  add_custom_target(ostrel_fuzzers)
  function(ostrel_add_fuzzer name source lib)
    if(NOT TARGET ${lib})
      return()
    endif()
    add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${source})
    target_link_libraries(${name} PRIVATE ${lib})
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address)
    add_dependencies(ostrel_fuzzers ${name})
  endfunction()
  # Server replies and the envelope and record readers.
  ostrel_add_fuzzer(fuzz_response_decoding ResponseDecodingFuzz.cpp ostrel_networking)
  # Engine output: the line buffer and the server-command parse.
  ostrel_add_fuzzer(fuzz_engine_output EngineOutputFuzz.cpp ostrel_vpn)
  # Localisation tables in the ".strings" syntax.
  ostrel_add_fuzzer(fuzz_strings_table StringsTableFuzz.cpp ostrel_common)
  # The helper's request lines and argument checks, down to what reaches a settings store.
  ostrel_add_fuzzer(fuzz_helper_request HelperRequestFuzz.cpp ostrel_helper)
  # The defaults file as the store reads it at start-up.
  ostrel_add_fuzzer(fuzz_defaults_file DefaultsFileFuzz.cpp ostrel_common)
endif()
