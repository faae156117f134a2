# The fixture site (fixture_site.py) as a ctest fixture that Windows tests require.
#
# lotwise_fixture_site(NAME [ROOT dir] [MOUNT /prefix=dir ...])
#   Defines the ctest fixture NAME: the test NAME_start starts the site in the background
#   (FIXTURES_SETUP) and NAME_stop stops it (FIXTURES_CLEANUP). ROOT is served at "/"; without
#   it an empty folder of the build is, which the tests may fill. Each MOUNT serves a folder under
#   a path. The state folder (port, pid, server.log, requests/) is build/fixture_sites/NAME.
# lotwise_use_fixture_site(TEST SITE)
#   TEST requires the site and finds it through LOTWISE_FIXTURE_SITE (the state folder) and
#   LOTWISE_FIXTURE_ROOT (the root folder), both as Windows paths on Wine's drive Z:.

find_program(LOTWISE_PYTHON3 python3)
set(LOTWISE_FIXTURE_SITE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/fixture_site.py)
set(LOTWISE_FIXTURE_SITE_LIFETIME 1800 CACHE STRING "seconds a fixture site outlives a run that never stops it")

function(lotwise_fixture_site name)
  cmake_parse_arguments(S "" "ROOT" "MOUNT" ${ARGN})
  if(NOT LOTWISE_PYTHON3)
    message(FATAL_ERROR "the fixture site needs python3")
  endif()
  set(state ${CMAKE_BINARY_DIR}/fixture_sites/${name})
  if(NOT S_ROOT)
    set(S_ROOT ${state}-www)
  endif()
  file(MAKE_DIRECTORY ${S_ROOT})
  set(arguments --state ${state} --root ${S_ROOT} --lifetime ${LOTWISE_FIXTURE_SITE_LIFETIME})
  foreach(mount IN LISTS S_MOUNT)
    list(APPEND arguments --mount ${mount})
  endforeach()
  add_test(NAME ${name}_start COMMAND ${LOTWISE_PYTHON3} ${LOTWISE_FIXTURE_SITE_SCRIPT} start ${arguments})
  add_test(NAME ${name}_stop COMMAND ${LOTWISE_PYTHON3} ${LOTWISE_FIXTURE_SITE_SCRIPT} stop --state ${state})
  set_tests_properties(${name}_start PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 30 LABELS site)
  set_tests_properties(${name}_stop PROPERTIES FIXTURES_CLEANUP ${name} TIMEOUT 30 LABELS site)
  set_property(GLOBAL PROPERTY LOTWISE_FIXTURE_SITE_${name}_STATE ${state})
  set_property(GLOBAL PROPERTY LOTWISE_FIXTURE_SITE_${name}_ROOT ${S_ROOT})
endfunction()

function(lotwise_use_fixture_site test site)
  get_property(state GLOBAL PROPERTY LOTWISE_FIXTURE_SITE_${site}_STATE)
  get_property(root GLOBAL PROPERTY LOTWISE_FIXTURE_SITE_${site}_ROOT)
  if(NOT state)
    message(FATAL_ERROR "no fixture site ${site}: call lotwise_fixture_site(${site}) first")
  endif()
  # Wine's drive Z: is the Unix root; forward slashes are fine for the Windows calls.
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED ${site})
  set_property(TEST ${test} APPEND PROPERTY LABELS site)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "LOTWISE_FIXTURE_SITE=Z:${state}" "LOTWISE_FIXTURE_ROOT=Z:${root}")
endfunction()
