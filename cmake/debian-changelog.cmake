# Writes CHANGELOG.md in Debian's changelog form, which a native package
# carries as changelog.gz: one entry per "## VERSION (DATE)" heading,
# its "- " items as "  * " items. The date is anything GNU date reads.
#   cmake -DIN=CHANGELOG.md -DOUT=changelog -DMAINTAINER="..." -P debian-changelog.cmake
file(STRINGS ${IN} lines ENCODING UTF-8)
set(out "")
set(trailer "")
foreach(line IN LISTS lines)
  if(line MATCHES "^## ([^ ]+) \\(([^)]+)\\)")
    set(version ${CMAKE_MATCH_1})
    execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_2}" OUTPUT_VARIABLE when
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(APPEND out "${trailer}headcopy (${version}) unstable; urgency=medium\n\n")
    set(trailer "\n -- ${MAINTAINER}  ${when}\n\n")
  elseif(line MATCHES "^- (.*)")
    string(APPEND out "  * ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^  +(.*)" AND NOT trailer STREQUAL "")
    string(APPEND out "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
string(REPLACE "`" "" out "${out}${trailer}")
string(REGEX REPLACE "\n\n$" "\n" out "${out}")
file(WRITE ${OUT} "${out}")
