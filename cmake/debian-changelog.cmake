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
    set(when "${CMAKE_MATCH_2}")
    # Where date is not GNU date, the date stays as written: only a Debian
    # package needs it in RFC 2822 form, and Debian has GNU date.
    execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_2}" OUTPUT_VARIABLE rfc_2822_date RESULT_VARIABLE failed
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT failed)
      set(when "${rfc_2822_date}")
    endif()
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
