# libFuzzer targets of the native clang build, each run as a test for a bounded time.
#
# lotwise_fuzzer(NAME SOURCES... [INSTRUMENT lib...] [SEEDS dir...] [REGRESSIONS dir] [DICT file]
#                [TIME seconds] [MAX_LEN bytes])
#   Builds NAME from SOURCES and from the sources of the INSTRUMENT libraries, compiled again
#   with the fuzzer's coverage instrumentation (the libraries themselves are built without it).
#   Test NAME runs it for TIME seconds (default 20) over a corpus folder of the build, seeded
#   from the SEEDS folders and from the REGRESSIONS folder (default regressions/ beside the
#   target's sources). A crash leaves its input in the test's folder (crash-*); keep it in the
#   REGRESSIONS folder under a name that says what it found. Test NAME_regressions runs every
#   kept input once.
# Outside the native clang build with LOTWISE_FUZZ on, it does nothing.

function(lotwise_fuzzer name)
  if(LOTWISE_WINDOWS OR NOT LOTWISE_FUZZ OR LOTWISE_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(F "" "DICT;TIME;MAX_LEN;REGRESSIONS" "SOURCES;INSTRUMENT;SEEDS" ${ARGN})
  if(NOT F_TIME)
    set(F_TIME 20)
  endif()
  if(NOT F_MAX_LEN)
    set(F_MAX_LEN 4096)
  endif()

  set(sources ${F_SOURCES})
  foreach(lib ${F_INSTRUMENT})
    get_target_property(lib_sources ${lib} SOURCES)
    get_target_property(lib_dir ${lib} SOURCE_DIR)
    foreach(source ${lib_sources})
      if(NOT IS_ABSOLUTE ${source})
        set(source ${lib_dir}/${source})
      endif()
      list(APPEND sources ${source})
    endforeach()
  endforeach()
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)

  set(options -timeout=10 -max_len=${F_MAX_LEN})
  if(F_DICT)
    list(APPEND options -dict=${F_DICT})
  endif()
  set(regressions ${CMAKE_CURRENT_SOURCE_DIR}/regressions)
  if(F_REGRESSIONS)
    get_filename_component(regressions ${F_REGRESSIONS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(run_dir ${CMAKE_BINARY_DIR}/testrun/${name})
  file(MAKE_DIRECTORY ${run_dir}/corpus)
  set(corpus ${run_dir}/corpus ${F_SEEDS})
  if(EXISTS ${regressions})
    list(APPEND corpus ${regressions})
  endif()
  add_test(NAME ${name}
    COMMAND ${name} -max_total_time=${F_TIME} ${options} -artifact_prefix=${run_dir}/ ${corpus}
    WORKING_DIRECTORY ${run_dir})
  math(EXPR limit "${F_TIME} * 2 + 60")
  set_tests_properties(${name} PROPERTIES TIMEOUT ${limit} LABELS fuzz)

  # Given files instead of folders, libFuzzer runs each once and stops at the first failure.
  file(GLOB kept CONFIGURE_DEPENDS ${regressions}/*)
  if(kept)
    set(regression_dir ${CMAKE_BINARY_DIR}/testrun/${name}_regressions)
    file(MAKE_DIRECTORY ${regression_dir})
    add_test(NAME ${name}_regressions COMMAND ${name} ${options} ${kept} WORKING_DIRECTORY ${regression_dir})
    set_tests_properties(${name}_regressions PROPERTIES TIMEOUT 120 LABELS fuzz)
  endif()
endfunction()
