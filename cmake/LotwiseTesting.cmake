# Test registration shared by every folder.
#
# lotwise_unit_test(NAME SOURCES... LIBS ...): a GoogleTest program. In the Windows build it
#   runs under Wine (serialised with the other Wine tests); natively it runs under the sanitizers.
# lotwise_wine_test(NAME SOURCES... LIBS ... [FIXTURES fixture...]): a Windows test program that
#   drives the real lotwise.exe / LotwiseMgr.exe. Each test gets a working folder of its own.
# Every test has a time limit, so a dialog nobody answers can never hang the run.
#
# Labels (ctest -L): unit (native tests, seconds, no Wine), wine (runs under Wine), fuzz (timed
# libFuzzer runs), site (needs the fixture site), disk (mounts small file systems).
# tools/test.sh --fast builds the native tree only and runs the unit label.
# lotwise_fuzzer(...) (cmake/LotwiseFuzzing.cmake): a libFuzzer target run as a timed test.

include(${CMAKE_CURRENT_LIST_DIR}/../tests/fixture_site/FixtureSite.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/LotwiseFuzzing.cmake)

set(LOTWISE_TEST_TIMEOUT 300 CACHE STRING "seconds one test program may take")

function(_lotwise_test_props name)
  set(dir ${CMAKE_BINARY_DIR}/testrun/${name})
  file(MAKE_DIRECTORY ${dir})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${LOTWISE_TEST_TIMEOUT})
  if(LOTWISE_WINDOWS)
    # One Wine prefix holds the registry and the named kernel objects: Wine tests run one at a time.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wineprefix LABELS wine)
  else()
    set_tests_properties(${name} PROPERTIES LABELS unit)
  endif()
endfunction()

function(lotwise_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;FIXTURES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/testrun/${name})
  _lotwise_test_props(${name})
  if(T_FIXTURES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
  endif()
endfunction()

function(lotwise_wine_test name)
  lotwise_unit_test(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE lotwise_test_support)
  # The programs under test are built first and lie beside the test program in bin/.
  foreach(program lotwise LotwiseMgr)
    if(TARGET ${program})
      add_dependencies(${name} ${program})
    endif()
  endforeach()
endfunction()
