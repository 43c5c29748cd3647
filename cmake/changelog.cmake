# Writes CHANGELOG.md in the changelog form a package of VERSION carries: one
# entry per "## RELEASE (DATE)" heading, with its "- " items. A VERSION that
# no heading names is a build after the last release: the "## Unreleased"
# items come first, as its entry, dated by TIME (the commit's, in seconds).
# Any other "## " section belongs to no package. FORM is debian (the
# changelog.gz of a native package) or rpm (the %changelog an RPM package
# carries, whose entries name RPM_VERSION, VERSION-RELEASE, for VERSION).
# The date is anything GNU date reads.
#   cmake -DIN=CHANGELOG.md -DOUT=changelog -DFORM=debian -DMAINTAINER="..." -DVERSION=1.2+5.g0123456789
#         -DRPM_VERSION=1.2-1+5.g0123456789 -DTIME=1765000000 -P changelog.cmake
file(STRINGS ${IN} lines ENCODING UTF-8)
set(unreleased ON)
foreach(line IN LISTS lines)
  if(line MATCHES "^## ([^ ]+) \\(" AND CMAKE_MATCH_1 STREQUAL VERSION)
    set(unreleased OFF)
  endif()
endforeach()
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
  set(entry OFF)
  if(line MATCHES "^## ([^ ]+) \\(([^)]+)\\)")
    set(entry ON)
    set(version ${CMAKE_MATCH_1})
    set(rpm_version ${CMAKE_MATCH_1}-1)
    set(when "${CMAKE_MATCH_2}")
  elseif(line STREQUAL "## Unreleased" AND unreleased)
    set(entry ON)
    set(version ${VERSION})
    set(rpm_version ${RPM_VERSION})
    set(when "@${TIME}")
  endif()
  if(entry)
    set(released ON)
    # Where date is not GNU date, the date stays as written: only a package
    # needs it in its own form, and the systems that make them have GNU date.
    execute_process(COMMAND date -u ${date_format} -d "${when}" OUTPUT_VARIABLE formatted
                    RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT failed)
      set(when "${formatted}")
    endif()
    if(FORM STREQUAL "rpm")
      string(APPEND out "${trailer}* ${when} ${MAINTAINER} - ${rpm_version}\n")
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
