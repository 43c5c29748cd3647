# Debian's layout, in the Debian packages alone: the license as copyright
# and the changelog beside it, and a -dbgsym package whose documentation is
# its program's, by a link.
install(FILES ${CMAKE_BINARY_DIR}/changelog.debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME changelog.gz
        COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright COMPONENT deb EXCLUDE_FROM_ALL)
if(HEADCOPY_FREESTANDING)
  install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME headcopy COMPONENT deb EXCLUDE_FROM_ALL)
endif()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/dbgsym-doc)
file(CREATE_LINK headcopy ${CMAKE_BINARY_DIR}/dbgsym-doc/headcopy-dbgsym SYMBOLIC)
install(DIRECTORY ${CMAKE_BINARY_DIR}/dbgsym-doc/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc
        COMPONENT deb_dbgsym EXCLUDE_FROM_ALL)

# dpkg names this machine's architecture; a cross build names its row's.
if(CMAKE_CROSSCOMPILING AND NOT headcopy_target_found)
  message(FATAL_ERROR "headcopy: ${headcopy_targets_file} has no row for ${CMAKE_SYSTEM_PROCESSOR}, so no Debian architecture")
elseif(CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${headcopy_target_deb})
endif()
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME headcopy)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION "${headcopy_summary}\n${headcopy_description}")
if(HEADCOPY_FREESTANDING)
  # A program without a C library depends on nothing.
elseif(NOT CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PROGRAM_PACKAGE_SHLIBDEPS ON)
else()
  # dpkg-shlibdeps knows only the libraries of architectures installed here;
  # the one library a cross-built program needs is the C library, from the
  # newest symbol version it asks for. packaging/deb-depends.cmake finds it
  # when cpack runs, once the program is built.
  set(CPACK_HEADCOPY_DEB_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/deb-depends.cmake)
  set(CPACK_HEADCOPY_READELF ${CMAKE_READELF})
  set(CPACK_HEADCOPY_PROGRAM ${headcopy_stripped})
endif()
set(CPACK_DEBIAN_DBGSYM_PACKAGE_NAME headcopy-dbgsym)
set(CPACK_DEBIAN_DBGSYM_PACKAGE_SECTION debug)
set(CPACK_DEBIAN_DBGSYM_PACKAGE_DEPENDS "headcopy (= ${headcopy_version})")
set(CPACK_DEBIAN_DBGSYM_DESCRIPTION "debug symbols for headcopy
The debug information of the headcopy program, by which addr2line turns the
address in a runtime error report into a line of its source.")
