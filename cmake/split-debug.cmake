# Splits a program's debug information off, as packages ship it: PROGRAM
# .stripped has none, and the debug file goes under DEBUG_DIR where addr2line
# and debuggers find it: by build ID (.build-id/NN/REST.debug) for an ELF
# program, or beside the program by name (NAME.debug, linked from it) for one
# that has no build ID.
#   cmake -DOBJCOPY=... -DREADELF=... -DPROGRAM=... -DDEBUG_DIR=... -P split-debug.cmake
file(REMOVE_RECURSE ${DEBUG_DIR})
execute_process(COMMAND ${READELF} -n ${PROGRAM} OUTPUT_VARIABLE notes ERROR_QUIET)
get_filename_component(name ${PROGRAM} NAME)
if(notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  set(debug_file ${DEBUG_DIR}/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
  get_filename_component(folder ${debug_file} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  execute_process(COMMAND ${OBJCOPY} --only-keep-debug --compress-debug-sections ${PROGRAM} ${debug_file}
                  COMMAND_ERROR_IS_FATAL ANY)
  set(link "")
else()
  # objcopy keeps no readable debug information of a PE program alone, so the
  # whole unstripped program is the debug file.
  set(debug_file ${DEBUG_DIR}/${name}.debug)
  file(MAKE_DIRECTORY ${DEBUG_DIR})
  file(COPY_FILE ${PROGRAM} ${debug_file})
  set(link --add-gnu-debuglink=${debug_file})
  # binutils' objcopy writes SOURCE_DATE_EPOCH, or else the time of the
  # strip, into a PE program's header: the stripped program has the link's
  # time, none, whenever and wherever it is built.
  set(ENV{SOURCE_DATE_EPOCH} 0)
endif()
execute_process(COMMAND ${OBJCOPY} --strip-all --remove-section=.comment ${link} ${PROGRAM} ${PROGRAM}.stripped
                COMMAND_ERROR_IS_FATAL ANY)
