# Run by cpack on the files it has staged, before it packs them: each takes
# SOURCE_DATE_EPOCH as its time. rpmbuild only lowers later times to it, so a
# source file checked out before the commit was made, as in a clone that has
# been pulled into since, would be packed with its own older time.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
if(staged)
  execute_process(COMMAND touch -h -d @$ENV{SOURCE_DATE_EPOCH} -- ${staged} COMMAND_ERROR_IS_FATAL ANY)
endif()
