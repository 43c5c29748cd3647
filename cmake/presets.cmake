# Writes cmake/presets/targets.json from the table of targets,
# cmake/targets.txt: for each row built with a toolchain file, a configure,
# build, test and workflow preset named as the row. CMakePresets.json
# includes it; the hidden presets they inherit are cmake/presets/base.json's.
#   cmake -P cmake/presets.cmake              writes it
#   cmake -DCHECK=ON -P cmake/presets.cmake   fails if it is not what it would write
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
set(output ${CMAKE_CURRENT_LIST_DIR}/presets/targets.json)
set(output_name cmake/presets/targets.json)

# cmake passes what follows the script to it untouched, so -DCHECK=ON written
# there is read here: taken for a write, it would let a stale file pass.
set(script_at -1)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  set(argument "${CMAKE_ARGV${i}}")
  if(script_at GREATER_EQUAL 0 AND i GREATER script_at)
    if(argument STREQUAL "--check")
      set(CHECK ON)
    elseif(argument MATCHES "^-DCHECK(:BOOL)?=(.*)$")
      set(CHECK "${CMAKE_MATCH_2}")
    else()
      message(FATAL_ERROR "presets: unknown argument ${argument}; the only one is -DCHECK=ON (or --check)")
    endif()
  elseif(argument STREQUAL "-P" AND script_at LESS 0)
    math(EXPR script_at "${i} + 1")
  endif()
endforeach()

# What each target is, in its displayName. A row missing here is named by its
# processor (and Debian architecture), so a new row needs no line of its own.
set(machine_aarch64 "64-bit Arm Linux (arm64)")
set(machine_armhf "32-bit Arm Linux, hard float (armhf), every core from ARMv5TE")
set(machine_armel "32-bit Arm Linux, soft float (armel), every core from ARMv5TE")
set(machine_i386 "32-bit x86 Linux (i386)")
set(machine_riscv64 "64-bit RISC-V Linux (riscv64)")
set(machine_ppc64el "64-bit little-endian POWER Linux (ppc64el)")
set(machine_s390x "IBM Z Linux (s390x, big-endian)")
set(machine_mips64el "64-bit little-endian MIPS Linux (mips64el)")
set(machine_mipsel "32-bit little-endian MIPS Linux (mipsel)")
set(machine_mips "32-bit big-endian MIPS Linux (mips)")
set(machine_powerpc "32-bit big-endian POWER Linux (powerpc)")
set(machine_ppc64 "64-bit big-endian POWER Linux (ppc64)")
set(machine_sparc64 "64-bit SPARC Linux (sparc64, big-endian)")
set(machine_windows "64-bit Windows")
set(machine_windows-x86 "32-bit Windows")
set(machine_windows-arm64 "Windows on ARM64")

# What builds and what runs each toolchain's programs, in the displayName.
# linux-cross runs a 32-bit x86 program natively where this machine can.
set(compiler_linux-cross "")
set(run_linux-cross "tested under qemu-user")
set(compiler_mingw-w64 " (mingw-w64)")
set(run_mingw-w64 "tested under wine")
set(compiler_clang-windows " (clang and lld)")
set(run_clang-windows "checked as a file, not run")

# Each toolchain's targets inherit the hidden preset of base.json whose
# toolchain file is the toolchain's.
file(READ ${CMAKE_CURRENT_LIST_DIR}/presets/base.json base)
string(JSON count LENGTH "${base}" configurePresets)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON file ERROR_VARIABLE none GET "${base}" configurePresets ${i} toolchainFile)
  if(file MATCHES "^\\$\\{sourceDir\\}/cmake/(.+)\\.cmake$")
    string(JSON base_${CMAKE_MATCH_1} GET "${base}" configurePresets ${i} name)
  endif()
endforeach()

function(json_string var text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${var} "\"${text}\"" PARENT_SCOPE)
endfunction()

# One preset a line, in the table's order.
foreach(kind configure build test workflow)
  set(${kind} "")
endforeach()
set(separator "")
headcopy_target_rows(rows UNLESS toolchain -)
foreach(row IN LISTS rows)
  headcopy_find_target(preset ${row})
  set(toolchain ${headcopy_target_toolchain})
  if(NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/${toolchain}.cmake)
    message(FATAL_ERROR "presets: the row ${row} of cmake/targets.txt names the toolchain ${toolchain}, "
                        "and there is no cmake/${toolchain}.cmake")
  elseif(NOT DEFINED base_${toolchain})
    message(FATAL_ERROR "presets: cmake/presets/base.json has no hidden preset with the toolchain file "
                        "cmake/${toolchain}.cmake, for the row ${row} of cmake/targets.txt")
  elseif(NOT DEFINED run_${toolchain})
    message(FATAL_ERROR "presets: cmake/presets.cmake does not say what runs the programs of the toolchain "
                        "${toolchain}, for the row ${row} of cmake/targets.txt")
  endif()

  if(headcopy_target_port STREQUAL "windows")
    set(program headcopy.exe)
    set(machine "Windows on ${headcopy_target_processor}")
  else()
    set(program headcopy)
    set(machine "Linux on ${headcopy_target_processor} (${headcopy_target_deb})")
  endif()
  if(DEFINED machine_${row})
    set(machine "${machine_${row}}")
  endif()
  set(run "${run_${toolchain}}")
  if(toolchain STREQUAL "linux-cross" AND headcopy_target_processor STREQUAL "i686")
    set(run "tested natively or under qemu-user")
  endif()
  json_string(name "${row}")
  json_string(title "${program} for ${machine}${compiler_${toolchain}}, ${run}")
  json_string(inherits "${base_${toolchain}}")

  string(APPEND configure "${separator}    {\"name\": ${name}, \"inherits\": ${inherits}, \"displayName\": ${title}}")
  string(APPEND build "${separator}    {\"name\": ${name}, \"configurePreset\": ${name}}")
  string(APPEND test "${separator}    {\"name\": ${name}, \"inherits\": \"tested\", \"configurePreset\": ${name}}")
  string(APPEND workflow "${separator}    {\"name\": ${name}, \"steps\": [{\"type\": \"configure\", \"name\": ${name}}, "
         "{\"type\": \"build\", \"name\": ${name}}, {\"type\": \"test\", \"name\": ${name}}]}")
  set(separator ",\n")
endforeach()

string(CONCAT text
  "{\n"
  "  \"version\": 6,\n"
  "  \"vendor\": {\"headcopy\": \"Written by cmake -P cmake/presets.cmake from cmake/targets.txt: change those, not this file.\"},\n"
  "  \"include\": [\"base.json\"],\n"
  "  \"configurePresets\": [\n${configure}\n  ],\n"
  "  \"buildPresets\": [\n${build}\n  ],\n"
  "  \"testPresets\": [\n${test}\n  ],\n"
  "  \"workflowPresets\": [\n${workflow}\n  ]\n"
  "}\n")

set(committed "")
if(EXISTS ${output})
  file(READ ${output} committed)
endif()
# The targets whose presets differ between two texts of the file, each read
# as JSON, so that the message names them; "" when only the layout differs.
function(targets_that_differ var committed wanted)
  set(differ "")
  foreach(kind configurePresets buildPresets testPresets workflowPresets)
    foreach(side committed wanted)
      set(names_${side} "")
      string(JSON count ERROR_VARIABLE unreadable LENGTH "${${side}}" ${kind})
      if(unreadable)
        set(count 0)
      endif()
      foreach(i RANGE 1 ${count})
        math(EXPR at "${i} - 1")
        string(JSON name GET "${${side}}" ${kind} ${at} name)
        string(JSON preset_${side}_${name} GET "${${side}}" ${kind} ${at})
        list(APPEND names_${side} ${name})
      endforeach()
    endforeach()
    set(names ${names_committed} ${names_wanted})
    list(REMOVE_DUPLICATES names)
    foreach(name IN LISTS names)
      if(NOT DEFINED preset_committed_${name} OR NOT DEFINED preset_wanted_${name} OR
         NOT preset_committed_${name} STREQUAL preset_wanted_${name})
        list(APPEND differ ${name})
      endif()
      unset(preset_committed_${name})
      unset(preset_wanted_${name})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES differ)
  list(JOIN differ ", " differ)
  set(${var} "${differ}" PARENT_SCOPE)
endfunction()

if(CHECK)
  if(NOT committed STREQUAL text)
    if(committed STREQUAL "")
      message(FATAL_ERROR "presets: there is no ${output_name}. Run cmake -P cmake/presets.cmake and commit the file.")
    endif()
    targets_that_differ(differ "${committed}" "${text}")
    if(differ)
      set(differ " (the presets of ${differ})")
    endif()
    message(FATAL_ERROR "presets: ${output_name} is stale: it is not what cmake/presets.cmake writes from "
                        "cmake/targets.txt${differ}. Run cmake -P cmake/presets.cmake and commit the file.")
  endif()
  message(STATUS "presets: ${output_name} is what cmake/targets.txt gives")
elseif(NOT committed STREQUAL text)
  file(WRITE ${output} "${text}")
  message(STATUS "presets: wrote ${output_name}")
else()
  message(STATUS "presets: ${output_name} was already what cmake/targets.txt gives")
endif()
