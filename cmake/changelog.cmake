# Writes CHANGELOG.md in the changelog form a package carries: one entry per
# "## VERSION (DATE)" heading, with its "- " items. Any other "## " section,
# such as "Unreleased", belongs to no release, so no package carries it. FORM
# is debian (the changelog.gz of a native package) or rpm (the %changelog an
# RPM package carries).
# The date is anything GNU date reads.
#   cmake -DIN=CHANGELOG.md -DOUT=changelog -DFORM=debian -DMAINTAINER="..." -P changelog.cmake
file(STRINGS ${IN} lines ENCODING UTF-8)
if(FORM STREQUAL "rpm")
  set(date_format "+%a %b %d %Y")
  set(item "- ")
  set(more "  ")
else()
  set(date_format -R)
  set(item "  * ")
  set(more "    ")
endif()
set(out "")
set(trailer "")
set(released OFF)
foreach(line IN LISTS lines)
  if(line MATCHES "^## ([^ ]+) \\(([^)]+)\\)")
    set(released ON)
    set(version ${CMAKE_MATCH_1})
    set(when "${CMAKE_MATCH_2}")
    # Where date is not GNU date, the date stays as written: only a package
    # needs it in its own form, and the systems that make them have GNU date.
    execute_process(COMMAND date -u ${date_format} -d "${CMAKE_MATCH_2}" OUTPUT_VARIABLE formatted
                    RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT failed)
      set(when "${formatted}")
    endif()
    if(FORM STREQUAL "rpm")
      string(APPEND out "${trailer}* ${when} ${MAINTAINER} - ${version}-1\n")
      set(trailer "\n")
    else()
      string(APPEND out "${trailer}headcopy (${version}) unstable; urgency=medium\n\n")
      set(trailer "\n -- ${MAINTAINER}  ${when}\n\n")
    endif()
  elseif(line MATCHES "^## ")
    set(released OFF)
  elseif(NOT released)
    # An item of a section that is no release.
  elseif(line MATCHES "^- (.*)")
    string(APPEND out "${item}${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^  +(.*)" AND NOT trailer STREQUAL "")
    string(APPEND out "${more}${CMAKE_MATCH_1}\n")
  endif()
endforeach()
if(FORM STREQUAL "rpm")
  set(trailer "")
endif()
string(REPLACE "`" "" out "${out}${trailer}")
string(REGEX REPLACE "\n\n$" "\n" out "${out}")
file(WRITE ${OUT} "${out}")
