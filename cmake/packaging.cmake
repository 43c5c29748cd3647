# Installing and packaging. cmake --install puts what a user installs, the
# "program" part: the stripped program and, on Linux, its manual page. The
# rest only cpack installs, each part into the packages that hold it: the
# debug information, which addr2line reads a report's address with
# ("dbgsym"), and the files of Debian's layout ("deb", "deb_dbgsym") and of
# RPM's ("rpm"), chosen per generator by packaging/package-parts.cmake. So
# one build makes all its packages: cpack -G DEB makes headcopy and
# headcopy-dbgsym, cpack -G RPM headcopy and headcopy-debuginfo; on Windows
# cpack -G ZIP makes a zip of headcopy.exe with a README and LICENSE for
# Windows users, and one of its debug information.
include(GNUInstallDirs)
# The first line of each description is its package's synopsis.
set(headcopy_summary "copy the first 500 bytes of a file beside it")
set(headcopy_description "headcopy NAME writes the first 500 bytes of NAME to NAME.start and prints
one line saying how it went. It never writes to anything but NAME.start, a
run costs little more than its system calls, and it is made to be run from
scripts over many files.")
set(CPACK_PACKAGE_CONTACT "headcopy developers <headcopy@example.org>")
# Without binutils (some systems have other tools) the program is installed as built.
set(headcopy_stripped $<TARGET_FILE:headcopy>)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/debug)
if(CMAKE_OBJCOPY AND CMAKE_READELF)
  set(headcopy_stripped ${CMAKE_BINARY_DIR}/headcopy${CMAKE_EXECUTABLE_SUFFIX}.stripped)
  add_custom_command(OUTPUT ${headcopy_stripped}
    COMMAND ${CMAKE_COMMAND} -DOBJCOPY=${CMAKE_OBJCOPY} -DREADELF=${CMAKE_READELF} -DPROGRAM=$<TARGET_FILE:headcopy>
            -DDEBUG_DIR=${CMAKE_BINARY_DIR}/debug -P ${CMAKE_SOURCE_DIR}/cmake/split-debug.cmake
    DEPENDS headcopy ${CMAKE_SOURCE_DIR}/cmake/split-debug.cmake
    VERBATIM)
  add_custom_target(split_debug ALL DEPENDS ${headcopy_stripped})
endif()
if(WIN32)
  install(PROGRAMS ${headcopy_stripped} DESTINATION . RENAME headcopy.exe COMPONENT program)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "ARM64")
    set(headcopy_windows winarm64)
  elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(headcopy_windows win64)
  else()
    set(headcopy_windows win32)
  endif()
  configure_file(packaging/README.windows.txt README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION . COMPONENT program)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/debug/ DESTINATION . COMPONENT dbgsym EXCLUDE_FROM_ALL)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_ARCHIVE_PROGRAM_FILE_NAME headcopy-${headcopy_version}-${headcopy_windows})
  set(CPACK_ARCHIVE_DBGSYM_FILE_NAME headcopy-${headcopy_version}-${headcopy_windows}-dbgsym)
else()
  install(PROGRAMS ${headcopy_stripped} DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME headcopy
          COMPONENT program)
  # The manual page carries the build's version in its header; it is
  # gzipped without a time stamp, as distributions ship them.
  file(READ doc/headcopy.1 headcopy_page)
  string(REGEX REPLACE "^(\\.TH [^\n]*)\"headcopy\"" "\\1\"headcopy ${headcopy_version}\"" headcopy_page
         "${headcopy_page}")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/headcopy.1 CONTENT "${headcopy_page}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS doc/headcopy.1)
  # The static archive's README, which packaging/release puts beside the program.
  configure_file(packaging/README.archive.txt README COPYONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/headcopy.1.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/headcopy.1
    DEPENDS ${CMAKE_BINARY_DIR}/headcopy.1
    VERBATIM)
  # The changelog, from CHANGELOG.md, in the form each kind of package reads;
  # a build after a release carries the Unreleased entry as its own.
  foreach(form debian rpm)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.${form}
      COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/CHANGELOG.md -DOUT=${CMAKE_BINARY_DIR}/changelog.${form}
              -DFORM=${form} "-DMAINTAINER=${CPACK_PACKAGE_CONTACT}" -DVERSION=${headcopy_version}
              -DRPM_VERSION=${headcopy_rpm_version}-${headcopy_rpm_release} -DTIME=${headcopy_commit_time}
              -P ${CMAKE_SOURCE_DIR}/cmake/changelog.cmake
      DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/cmake/changelog.cmake
      VERBATIM)
  endforeach()
  # gzip -n keeps no name, so the file's own name is not in its bytes.
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.debian.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/changelog.debian
    DEPENDS ${CMAKE_BINARY_DIR}/changelog.debian
    VERBATIM)
  add_custom_target(compressed_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/headcopy.1.gz ${CMAKE_BINARY_DIR}/changelog.debian.gz
                                                ${CMAKE_BINARY_DIR}/changelog.rpm)
  install(FILES ${CMAKE_BINARY_DIR}/headcopy.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/debug/ DESTINATION ${CMAKE_INSTALL_LIBDIR}/debug
          COMPONENT dbgsym EXCLUDE_FROM_ALL)
  # cpack alone makes the Debian packages; -G RPM the RPM ones, of the same build.
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  include(${CMAKE_CURRENT_LIST_DIR}/packaging-deb.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/packaging-rpm.cmake)
  # Each package is its group: the program's files and its layout's own.
  set(CPACK_COMPONENT_PROGRAM_GROUP program)
  set(CPACK_COMPONENT_DEB_GROUP program)
  set(CPACK_COMPONENT_RPM_GROUP program)
  set(CPACK_COMPONENT_DBGSYM_GROUP dbgsym)
  set(CPACK_COMPONENT_DEB_DBGSYM_GROUP dbgsym)
endif()
# The parts of every generator; packaging/package-parts.cmake adds each
# layout's own.
set(CPACK_COMPONENTS_ALL program dbgsym)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/package-parts.cmake)
set(CPACK_PACKAGE_NAME headcopy)
set(CPACK_PACKAGE_VERSION ${headcopy_version})
set(CPACK_PACKAGE_VENDOR "the headcopy developers")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# Every staged file packed with the commit's time.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/source-date-mtimes.cmake)
include(CPack)

# The sample's build leaves all that cmake --install and cpack take.
foreach(part split_debug compressed_docs)
  if(TARGET ${part})
    add_dependencies(sample ${part})
  endif()
endforeach()
