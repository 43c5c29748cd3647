# Writes cmake/presets/targets.json from the table of targets,
# cmake/targets.txt: for each row built with a toolchain file, a configure,
# build, test and workflow preset named as the row. CMakePresets.json
# includes it; the hidden presets they inherit are cmake/presets/base.json's.
#   cmake -P cmake/presets.cmake              writes it
#   cmake -DCHECK=ON -P cmake/presets.cmake   fails if it is not what it would write
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
set(output ${CMAKE_CURRENT_LIST_DIR}/presets/targets.json)
# cmake passes what follows the script to it unread: a -DCHECK=ON there,
# taken for a write, would let a stale file pass.
math(EXPR last "${CMAKE_ARGC} - 1")
if(NOT CMAKE_ARGV${last} MATCHES "presets\\.cmake$")
  message(FATAL_ERROR "presets: ${CMAKE_ARGV${last}} after the script is not read; give -DCHECK=ON before -P")
endif()

# One preset a line, in the table's order, named and described by its row.
headcopy_target_rows(rows toolchain !-)
foreach(row IN LISTS rows)
  headcopy_find_target(preset ${row})
  set(toolchain cmake/${headcopy_target_toolchain}.cmake)
  if(NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/../${toolchain})
    message(FATAL_ERROR "presets: the row ${row} of cmake/targets.txt names the toolchain file ${toolchain}, which is missing")
  endif()
  set(title "headcopy for ${headcopy_target_triplet}, built by ${toolchain}")
  set(name "\"name\": \"${row}\"")
  string(APPEND configure ",\n    {${name}, \"inherits\": \"cross\", \"toolchainFile\": \"\${sourceDir}/${toolchain}\", "
         "\"displayName\": \"${title}\"}")
  string(APPEND build ",\n    {${name}, \"configurePreset\": \"${row}\"}")
  string(APPEND test ",\n    {${name}, \"inherits\": \"tested\", \"configurePreset\": \"${row}\"}")
  string(APPEND workflow ",\n    {${name}, \"steps\": [{\"type\": \"configure\", ${name}}, "
         "{\"type\": \"build\", ${name}}, {\"type\": \"test\", ${name}}]}")
endforeach()
string(CONCAT text "{\n  \"version\": 6,\n  \"vendor\": {\"headcopy\": \"Written by cmake -P cmake/presets.cmake from "
       "cmake/targets.txt: change those, not this file.\"},\n  \"include\": [\"base.json\"]")
foreach(kind configure build test workflow)
  string(REGEX REPLACE "^," "" presets "${${kind}}")
  string(APPEND text ",\n  \"${kind}Presets\": [${presets}\n  ]")
endforeach()
string(APPEND text "\n}\n")

set(committed "")
if(EXISTS ${output})
  file(READ ${output} committed)
endif()
if(committed STREQUAL text)
  message(STATUS "presets: cmake/presets/targets.json is what cmake/targets.txt gives")
elseif(CHECK)
  message(FATAL_ERROR "presets: cmake/presets/targets.json is missing or stale: it is not what cmake/presets.cmake "
                      "writes from cmake/targets.txt. Run cmake -P cmake/presets.cmake and commit the file.")
else()
  file(WRITE ${output} "${text}")
  message(STATUS "presets: wrote cmake/presets/targets.json")
endif()
