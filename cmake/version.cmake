# The version a build carries, in every name and in the programs. A release
# commit sets project(headcopy VERSION X.Y) and renames CHANGELOG.md's
# "## Unreleased" to "## X.Y (DATE)" together: while the changelog's first
# section is that release's, the version is X.Y exactly. Any later commit,
# whose changelog opens with "## Unreleased", is X.Y+N.gHASH: N commits after
# the one that set the version, HASH the first 10 digits of its own. A source
# archive has no git: packaging/release writes the version into it
# (packaging/source-version), and its commit time into packaging/source-date.
#
# Included after project(), it sets
#   headcopy_version        X.Y or X.Y+N.gHASH
#   headcopy_version_count  N, or 0 for a release
#   headcopy_rpm_version    RPM's Version: X.Y
#   headcopy_rpm_release    RPM's Release: 1, or 1+N.gHASH, so that a later
#                           build sorts after X.Y-1 and before X.Y.1 in RPM,
#                           as X.Y+N.gHASH does in Debian
#   headcopy_commit_time    the commit's time in seconds, or empty
# and makes CMake configure again after a commit, a checkout or a changelog
# edit. As a script it prints the first two for the tree, or for a version
# given as VERSION, and RPM's VERSION-RELEASE:
#   cmake [-DVERSION=X.Y+N.gHASH] -P cmake/version.cmake
get_filename_component(headcopy_tree ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

function(headcopy_rpm version)
  set(release 1)
  if(version MATCHES "\\+(.*)")
    set(release "1+${CMAKE_MATCH_1}")
  endif()
  string(REGEX REPLACE "\\+.*" "" version ${version})
  set(headcopy_rpm_version ${version} PARENT_SCOPE)
  set(headcopy_rpm_release ${release} PARENT_SCOPE)
endfunction()

function(headcopy_find_version project_version)
  set(count 0)
  set(time "")
  set(git git -C ${headcopy_tree})
  execute_process(COMMAND ${git} rev-parse --show-toplevel OUTPUT_VARIABLE top RESULT_VARIABLE no_git
                  ERROR_VARIABLE why OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE)
  if(no_git AND EXISTS ${headcopy_tree}/.git)
    # A clone git will not read (another user's, or no git installed) would
    # build under a version that names no commit.
    message(FATAL_ERROR "headcopy: the version comes from git, which cannot read this clone: ${why}")
  elseif(NOT no_git)
    get_filename_component(top "${top}" REALPATH)
    get_filename_component(tree "${headcopy_tree}" REALPATH)
    if(NOT top STREQUAL tree)
      # A tree unpacked inside some other clone is not that clone's commit.
      set(no_git 1)
    endif()
  endif()
  file(STRINGS ${headcopy_tree}/CHANGELOG.md sections REGEX "^## ")
  list(GET sections 0 first)
  if(first MATCHES "^## ${project_version} \\(")
    set(version ${project_version})
  elseif(NOT first STREQUAL "## Unreleased")
    message(FATAL_ERROR "headcopy: CHANGELOG.md opens with \"${first}\": a release's changelog opens with "
                        "\"## ${project_version} (DATE)\", any other commit's with \"## Unreleased\"")
  elseif(EXISTS ${headcopy_tree}/packaging/source-version)
    file(STRINGS ${headcopy_tree}/packaging/source-version version LIMIT_COUNT 1)
    if(NOT version MATCHES "^${project_version}\\+([0-9]+)\\.")
      message(FATAL_ERROR "headcopy: packaging/source-version says ${version}, not a build after ${project_version}")
    endif()
    set(count ${CMAKE_MATCH_1})
  elseif(no_git)
    # Neither git nor a version written in: the build says only that it
    # follows the release.
    set(version ${project_version}+0.unknown)
  else()
    execute_process(COMMAND ${git} rev-parse --is-shallow-repository OUTPUT_VARIABLE shallow
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(shallow STREQUAL "true")
      message(FATAL_ERROR "headcopy: a shallow clone cannot count the commits since ${project_version}: "
                          "git fetch --unshallow")
    endif()
    execute_process(COMMAND ${git} log -1 --format=%H "-G^project\\(headcopy VERSION" -- CMakeLists.txt
                    OUTPUT_VARIABLE release OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${git} rev-list --count ${release}..HEAD OUTPUT_VARIABLE count
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${git} rev-parse HEAD OUTPUT_VARIABLE hash OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
    string(SUBSTRING ${hash} 0 10 hash)
    set(version ${project_version}+${count}.g${hash})
  endif()
  if(NOT no_git)
    execute_process(COMMAND ${git} log -1 --format=%ct OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE)
    # A commit, a checkout or a reset in this work tree moves HEAD's log.
    execute_process(COMMAND ${git} rev-parse --path-format=absolute --git-path logs/HEAD OUTPUT_VARIABLE head_log
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(EXISTS "${head_log}")
      set(headcopy_head_log ${head_log} PARENT_SCOPE)
    endif()
  else()
    file(STRINGS ${headcopy_tree}/packaging/source-date time REGEX "^[0-9]+$")
  endif()
  set(headcopy_version ${version} PARENT_SCOPE)
  set(headcopy_version_count ${count} PARENT_SCOPE)
  set(headcopy_commit_time "${time}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  if(DEFINED VERSION)
    set(headcopy_version ${VERSION})
  else()
    file(STRINGS ${headcopy_tree}/CMakeLists.txt line REGEX "^project\\(headcopy VERSION ")
    string(REGEX REPLACE "^project\\(headcopy VERSION ([0-9.]+).*" "\\1" project_version "${line}")
    headcopy_find_version(${project_version})
  endif()
  headcopy_rpm(${headcopy_version})
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${headcopy_version} ${headcopy_rpm_version}-${headcopy_rpm_release}")
else()
  set(headcopy_head_log "")
  headcopy_find_version(${PROJECT_VERSION})
  headcopy_rpm(${headcopy_version})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${headcopy_tree}/CHANGELOG.md ${headcopy_head_log})
endif()
