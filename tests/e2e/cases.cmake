# headcopy_e2e_cases(SUITE PROGRAM path [WINDOWS] [RUNNER words...]
#                    [SKIP_REASON text] [ENVIRONMENT NAME=VALUE...] [PROPERTIES ...])
# Lists the end-to-end cases of SUITE, the suite's target (built here or
# imported), for ctest, against the program at PROGRAM. The suite reads what
# it tests from the environment at run time, so one build of it tests the
# programs of every target; ctest sets that environment, for each build
# folder's own program, before it lists or runs a case.
include_guard(GLOBAL)
include(GoogleTest)

# A suite already built, to take as it is (a path to its e2e_tests): the
# cache's HEADCOPY_E2E_SUITE, else the environment's.
if(NOT HEADCOPY_E2E_SUITE AND DEFINED ENV{HEADCOPY_E2E_SUITE})
  set(HEADCOPY_E2E_SUITE $ENV{HEADCOPY_E2E_SUITE})
endif()

# headcopy_e2e_import(PATH): the suite built at PATH, as the target e2e_tests.
function(headcopy_e2e_import path)
  add_executable(e2e_tests IMPORTED)
  set_target_properties(e2e_tests PROPERTIES IMPORTED_LOCATION ${path})
endfunction()

function(headcopy_e2e_cases suite)
  cmake_parse_arguments(PARSE_ARGV 1 arg "WINDOWS" "PROGRAM;SKIP_REASON" "RUNNER;ENVIRONMENT;PROPERTIES")
  # The runner's words reach the suite blank-separated.
  foreach(word IN LISTS arg_RUNNER)
    if(word MATCHES "[ \t]")
      message(FATAL_ERROR "headcopy: the runner's word \"${word}\" holds a blank, which the end-to-end suite splits at")
    endif()
  endforeach()
  string(JOIN " " runner ${arg_RUNNER})
  if(arg_WINDOWS)
    set(windows 1)
  else()
    set(windows 0)
  endif()
  set(content "")
  foreach(pair "HEADCOPY_PROGRAM=${arg_PROGRAM}" "HEADCOPY_RUNNER=${runner}" "HEADCOPY_WINE=${windows}"
               "HEADCOPY_SKIP_REASON=${arg_SKIP_REASON}" ${arg_ENVIRONMENT})
    string(REGEX MATCH "^[^=]+" name "${pair}")
    string(REGEX REPLACE "^[^=]+=" "" value "${pair}")
    string(APPEND content "set(ENV{${name}} [==[${value}]==])\n")
  endforeach()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/e2e_environment.cmake)
  file(GENERATE OUTPUT ${script} CONTENT "${content}")
  # Before the cases are listed, which runs the suite too.
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  gtest_discover_tests(${suite} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${arg_PROPERTIES})
endfunction()
