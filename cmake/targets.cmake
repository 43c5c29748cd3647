# Reads the table of targets, cmake/targets.txt.
set(headcopy_targets_file ${CMAKE_CURRENT_LIST_DIR}/targets.txt)
set(headcopy_target_columns preset triplet toolchain processor port qemu cpus deb rpm archive)

# headcopy_target_rows(VAR [COLUMN VALUE]...): sets VAR to the presets of the
# rows, in the table's order, whose COLUMN is VALUE (or is not, for !VALUE)
# for each condition given; with none, to every row's; and _headcopy_first
# to the fields of the first of them. Stops at an unknown column, a row of
# the wrong width, or a preset named twice.
function(headcopy_target_rows var)
  set(tests "")
  set(conditions "${ARGN}")
  while(conditions)
    list(POP_FRONT conditions column value)
    list(FIND headcopy_target_columns "${column}" index)
    if(index LESS 0 OR "${value}" STREQUAL "")
      message(FATAL_ERROR "headcopy: a condition on ${headcopy_targets_file} is a column and a value, not: ${ARGN}")
    endif()
    list(APPEND tests "${index} ${value}")
  endwhile()

  list(LENGTH headcopy_target_columns width)
  file(STRINGS ${headcopy_targets_file} rows REGEX "^[^#]")
  set(presets "")
  set(matches "")
  foreach(row IN LISTS rows)
    string(STRIP "${row}" row)
    string(REGEX REPLACE "[ \t]+" ";" fields "${row}")
    list(LENGTH fields count)
    if(count EQUAL 0)
      continue()
    endif()
    list(GET fields 0 preset)
    list(FIND presets ${preset} seen)
    if(NOT count EQUAL width)
      message(FATAL_ERROR "headcopy: ${headcopy_targets_file}: a row of ${count} fields, not ${width}: ${row}")
    elseif(seen GREATER_EQUAL 0)
      message(FATAL_ERROR "headcopy: ${headcopy_targets_file}: two rows for the preset ${preset}")
    endif()
    list(APPEND presets ${preset})
    set(match TRUE)
    foreach(test IN LISTS tests)
      string(REGEX MATCH "^([0-9]+) (!?)(.*)$" test "${test}")
      list(GET fields ${CMAKE_MATCH_1} field)
      if(CMAKE_MATCH_2 STREQUAL "!" AND field STREQUAL CMAKE_MATCH_3 OR
         NOT CMAKE_MATCH_2 STREQUAL "!" AND NOT field STREQUAL CMAKE_MATCH_3)
        set(match FALSE)
      endif()
    endforeach()
    if(match AND matches STREQUAL "")
      set(_headcopy_first "${fields}" PARENT_SCOPE)
    endif()
    if(match)
      list(APPEND matches ${preset})
    endif()
  endforeach()
  set(${var} "${matches}" PARENT_SCOPE)
endfunction()

# headcopy_find_target(COLUMN VALUE [COLUMN VALUE]...): for the first row
# that meets each condition, as headcopy_target_rows takes them, sets
# headcopy_target_<column> to each of its fields and headcopy_target_found
# to TRUE; headcopy_target_found is FALSE when no row does.
function(headcopy_find_target)
  headcopy_target_rows(matches ${ARGN})
  set(headcopy_target_found FALSE PARENT_SCOPE)
  if(matches)
    foreach(name field IN ZIP_LISTS headcopy_target_columns _headcopy_first)
      set(headcopy_target_${name} ${field} PARENT_SCOPE)
    endforeach()
    set(headcopy_target_found TRUE PARENT_SCOPE)
  endif()
endfunction()

# headcopy_toolchain_row(TOOLCHAIN): in the toolchain file TOOLCHAIN, reads
# the row HEADCOPY_TARGET names (each preset gives its own name), or, in a
# build set up by hand, the row of TOOLCHAIN that HEADCOPY_TRIPLET builds,
# or with neither its first row, as headcopy_find_target does. Stops when
# there is none, or when the table builds it with another toolchain or
# another triplet.
macro(headcopy_toolchain_row toolchain)
  list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HEADCOPY_TARGET HEADCOPY_TRIPLET)
  if(HEADCOPY_TARGET)
    set(headcopy_wanted "target ${HEADCOPY_TARGET}")
    headcopy_find_target(preset "${HEADCOPY_TARGET}")
  elseif(HEADCOPY_TRIPLET)
    set(headcopy_wanted "triplet ${HEADCOPY_TRIPLET}")
    headcopy_find_target(triplet "${HEADCOPY_TRIPLET}" toolchain ${toolchain})
  else()
    set(headcopy_wanted "toolchain ${toolchain}")
    headcopy_find_target(toolchain ${toolchain})
  endif()
  if(NOT headcopy_target_found)
    message(FATAL_ERROR "headcopy: the ${headcopy_wanted} is no row of ${headcopy_targets_file}")
  elseif(NOT headcopy_target_toolchain STREQUAL "${toolchain}")
    message(FATAL_ERROR "headcopy: the ${headcopy_wanted} is built with the toolchain "
                        "${headcopy_target_toolchain} in ${headcopy_targets_file}, not with ${toolchain}")
  elseif(HEADCOPY_TRIPLET AND NOT HEADCOPY_TRIPLET STREQUAL headcopy_target_triplet)
    message(FATAL_ERROR "headcopy: the ${headcopy_wanted} is built by ${headcopy_target_triplet} in "
                        "${headcopy_targets_file}, not by ${HEADCOPY_TRIPLET}")
  endif()
endmacro()
