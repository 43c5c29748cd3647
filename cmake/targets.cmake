# Reads the table of targets, cmake/targets.txt.
set(headcopy_targets_file ${CMAKE_CURRENT_LIST_DIR}/targets.txt)
set(headcopy_target_columns preset triplet toolchain processor port qemu cpus deb rpm archive)

# Sets _headcopy_matches to the presets of the rows that meet every condition
# of ARGN (WHERE|UNLESS COLUMN VALUE), and _headcopy_first to the fields of
# the first of them, in the caller; stops at a row of the wrong width, or a
# preset named twice.
function(_headcopy_target_select)
  set(tests "")
  set(conditions "${ARGN}")
  list(LENGTH conditions left)
  while(left GREATER 0)
    if(left LESS 3)
      message(FATAL_ERROR "headcopy: a condition on ${headcopy_targets_file} is WHERE or UNLESS, a column "
                          "and a value, not: ${conditions}")
    endif()
    list(POP_FRONT conditions how column value)
    list(FIND headcopy_target_columns "${column}" index)
    if(NOT how MATCHES "^(WHERE|UNLESS)$")
      message(FATAL_ERROR "headcopy: a condition on ${headcopy_targets_file} begins ${how}, not WHERE or UNLESS")
    elseif(index LESS 0)
      message(FATAL_ERROR "headcopy: ${headcopy_targets_file} has no column ${column}")
    endif()
    # One element each, even for an empty value, which no field is.
    list(APPEND tests "${how} ${index} ${value}")
    list(LENGTH conditions left)
  endwhile()

  list(LENGTH headcopy_target_columns width)
  file(STRINGS ${headcopy_targets_file} rows REGEX "^[^#]")
  set(presets "")
  set(matches "")
  set(first "")
  foreach(row IN LISTS rows)
    string(STRIP "${row}" row)
    if(row STREQUAL "")
      continue()
    endif()
    string(REGEX REPLACE "[ \t]+" ";" fields "${row}")
    list(LENGTH fields count)
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
      string(REGEX MATCH "^([A-Z]+) ([0-9]+) (.*)$" test "${test}")
      list(GET fields ${CMAKE_MATCH_2} field)
      if(CMAKE_MATCH_1 STREQUAL "WHERE" AND NOT field STREQUAL CMAKE_MATCH_3 OR
         CMAKE_MATCH_1 STREQUAL "UNLESS" AND field STREQUAL CMAKE_MATCH_3)
        set(match FALSE)
      endif()
    endforeach()
    if(match)
      if(matches STREQUAL "")
        set(first "${fields}")
      endif()
      list(APPEND matches ${preset})
    endif()
  endforeach()
  set(_headcopy_matches "${matches}" PARENT_SCOPE)
  set(_headcopy_first "${first}" PARENT_SCOPE)
endfunction()

# headcopy_target_rows(VAR [WHERE|UNLESS COLUMN VALUE]...): sets VAR to the
# presets of the rows, in the table's order, whose COLUMN is VALUE (WHERE) or
# is not (UNLESS), for each condition given; with none, to every row's.
function(headcopy_target_rows var)
  _headcopy_target_select(${ARGN})
  set(${var} "${_headcopy_matches}" PARENT_SCOPE)
endfunction()

# headcopy_find_target(COLUMN VALUE [WHERE|UNLESS COLUMN VALUE]...): for the
# first row whose COLUMN is VALUE and that meets each further condition, sets
# headcopy_target_<column> to each of its fields and headcopy_target_found to
# TRUE; headcopy_target_found is FALSE when no row does.
function(headcopy_find_target column value)
  _headcopy_target_select(WHERE "${column}" "${value}" ${ARGN})
  if(_headcopy_matches STREQUAL "")
    set(headcopy_target_found FALSE PARENT_SCOPE)
    return()
  endif()
  foreach(name field IN ZIP_LISTS headcopy_target_columns _headcopy_first)
    set(headcopy_target_${name} ${field} PARENT_SCOPE)
  endforeach()
  set(headcopy_target_found TRUE PARENT_SCOPE)
endfunction()

# headcopy_toolchain_row(TOOLCHAIN): in the toolchain file TOOLCHAIN, reads
# the row HEADCOPY_TARGET names (each preset gives its own name) as
# headcopy_find_target does, and stops when the table builds that row with
# another toolchain. With no HEADCOPY_TARGET, as in a build set up by hand,
# headcopy_target_found is FALSE and the file goes by its own settings.
macro(headcopy_toolchain_row toolchain)
  list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HEADCOPY_TARGET)
  if(HEADCOPY_TARGET)
    headcopy_find_target(preset "${HEADCOPY_TARGET}")
    if(NOT headcopy_target_found)
      message(FATAL_ERROR "headcopy: the target ${HEADCOPY_TARGET} is no row of ${headcopy_targets_file}")
    elseif(NOT headcopy_target_toolchain STREQUAL "${toolchain}")
      message(FATAL_ERROR "headcopy: the target ${HEADCOPY_TARGET} is built with the toolchain "
                          "${headcopy_target_toolchain} in ${headcopy_targets_file}, not with ${toolchain}")
    endif()
  else()
    set(headcopy_target_found FALSE)
  endif()
endmacro()
