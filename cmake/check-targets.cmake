# Checks what names the targets outside the table of targets against it: the
# presets cmake/presets.cmake writes from it, the contributors' guide's table
# of targets and the README's downloads. CI runs it.
#   cmake -P cmake/check-targets.cmake
cmake_minimum_required(VERSION 3.25)
get_filename_component(top ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
set(faults "")

# The generated presets are what the table gives now.
execute_process(COMMAND ${CMAKE_COMMAND} -DCHECK=ON -P ${CMAKE_CURRENT_LIST_DIR}/presets.cmake
                RESULT_VARIABLE stale OUTPUT_QUIET ERROR_VARIABLE why)
if(stale)
  string(REGEX REPLACE "^CMake Error at [^\n]*\n" "" why "${why}")
  string(REGEX REPLACE "[ \n]+" " " why "${why}")
  string(STRIP "${why}" why)
  list(APPEND faults "${why}")
endif()

# The guide's table of targets names each preset; the README's downloads
# name each Debian, RPM and archive architecture, in the table's order, and
# each Windows row's zip.
headcopy_target_rows(rows)
foreach(kind deb rpm archive zip)
  set(all_${kind} "")
endforeach()
foreach(row IN LISTS rows)
  headcopy_find_target(preset ${row})
  if(headcopy_target_port STREQUAL "windows")
    set(headcopy_target_zip ${headcopy_target_archive})
    set(kinds zip)
  else()
    set(kinds deb rpm archive)
  endif()
  foreach(kind IN LISTS kinds)
    if(NOT headcopy_target_${kind} STREQUAL "-")
      list(APPEND all_${kind} ${headcopy_target_${kind}})
    endif()
  endforeach()
endforeach()

file(READ ${top}/doc/DEVELOPING.md guide)
foreach(preset IN LISTS rows)
  string(FIND "${guide}" "| `${preset}` |" at)
  if(at LESS 0)
    list(APPEND faults "doc/DEVELOPING.md's table of targets has no row for the preset ${preset}")
  endif()
endforeach()
file(READ ${top}/README.md readme)
foreach(kind deb rpm archive)
  string(REPLACE ";" ", " listed "${all_${kind}}")
  string(FIND "${readme}" ": ${listed} |" at)
  if(at LESS 0)
    list(APPEND faults "README.md's downloads do not list the ${kind} architectures as cmake/targets.txt has them: ${listed}")
  endif()
endforeach()
foreach(zip IN LISTS all_zip)
  string(REGEX MATCH "`headcopy-[0-9.]+-${zip}\\.zip`" listed "${readme}")
  if(NOT listed)
    list(APPEND faults "README.md's downloads do not name the zip headcopy-VERSION-${zip}.zip of cmake/targets.txt")
  endif()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "check-targets:\n  ${text}")
endif()
message(STATUS "check-targets: cmake/presets/targets.json, doc/DEVELOPING.md and README.md agree with cmake/targets.txt")
