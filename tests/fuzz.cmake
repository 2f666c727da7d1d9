# libFuzzer target for the response decoding and the envelope readers. Built only with clang
# and OSTREL_BUILD_FUZZ=ON, in its own build folder, with the libraries instrumented too:
#   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
#         -DOSTREL_BUILD_FUZZ=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address
#   cmake --build build-fuzz --target fuzz_response_decoding
#   build-fuzz/bin/fuzz_response_decoding -max_total_time=20 tests/fuzz/corpus
if(OSTREL_BUILD_FUZZ AND TARGET ostrel_networking)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "OSTREL_BUILD_FUZZ needs clang (libFuzzer)")
  endif()
  add_executable(fuzz_response_decoding ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/ResponseDecodingFuzz.cpp)
  target_link_libraries(fuzz_response_decoding PRIVATE ostrel_networking)
  target_compile_options(fuzz_response_decoding PRIVATE -fsanitize=fuzzer,address)
  target_link_options(fuzz_response_decoding PRIVATE -fsanitize=fuzzer,address)
endif()
