# The fuzzing build: with MAZE_FUZZ on and clang as the compiler, everything is compiled with
# libFuzzer's coverage instrumentation and AddressSanitizer and UndefinedBehaviorSanitizer, and
# fuzz/ builds real fuzzers. Without clang, MAZE_FUZZ changes nothing: fuzz/ always builds the
# replay programs that ctest runs over the seed corpora and regression cases.
option(MAZE_FUZZ "Build the fuzz targets as libFuzzer fuzzers (clang only)" OFF)
set(MAZE_LIBFUZZER OFF)
if(MAZE_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(MAZE_LIBFUZZER ON)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow
                      -fno-sanitize-recover=undefined,float-cast-overflow -fno-omit-frame-pointer
                      -fsanitize-coverage-ignorelist=${CMAKE_CURRENT_LIST_DIR}/coverage-ignore.txt)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
  enable_testing()
endif()
