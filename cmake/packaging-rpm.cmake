# The layout of RPM distributions, in the RPM packages alone: the license
# marked as one, the README as documentation, the changelog in the package's
# header, and the debug information in a -debuginfo package.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/licenses/headcopy COMPONENT rpm EXCLUDE_FROM_ALL)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT rpm EXCLUDE_FROM_ALL)

set(CPACK_RPM_COMPONENT_INSTALL ON)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
# RPM's version is the release's; a build after it says so in its Release.
set(CPACK_RPM_PACKAGE_VERSION ${headcopy_rpm_version})
set(CPACK_RPM_PACKAGE_RELEASE ${headcopy_rpm_release})
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP "Applications/File")
set(CPACK_RPM_PACKAGE_URL "https://example.org/headcopy")
# The table's RPM architecture; a native build on a processor without one
# there takes rpmbuild's own name for this machine. A cross build without one
# makes no RPM packages: cpack -G RPM says so (packaging/package-parts.cmake).
if(headcopy_target_found AND NOT headcopy_target_rpm STREQUAL "-")
  set(headcopy_rpm_arch ${headcopy_target_rpm})
elseif(NOT CMAKE_CROSSCOMPILING)
  set(headcopy_rpm_arch ${CMAKE_SYSTEM_PROCESSOR})
else()
  set(headcopy_rpm_arch "")
  set(CPACK_HEADCOPY_NO_RPM "${headcopy_targets_file} names no RPM architecture for ${CMAKE_SYSTEM_PROCESSOR}")
endif()
set(CPACK_RPM_PACKAGE_ARCHITECTURE ${headcopy_rpm_arch})
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_BINARY_DIR}/changelog.rpm)
set(CPACK_RPM_PROGRAM_PACKAGE_NAME headcopy)
# RPM's summaries start with a capital, where Debian's synopses do not.
string(SUBSTRING "${headcopy_summary}" 0 1 headcopy_initial)
string(TOUPPER ${headcopy_initial} headcopy_initial)
string(REGEX REPLACE "^." "${headcopy_initial}" headcopy_summary "${headcopy_summary}")
set(CPACK_RPM_PROGRAM_PACKAGE_SUMMARY "${headcopy_summary}")
set(CPACK_RPM_PROGRAM_PACKAGE_DESCRIPTION "${headcopy_description}")
set(CPACK_RPM_PROGRAM_USER_FILELIST "%license /usr/share/licenses/headcopy/LICENSE"
                                    "%doc /usr/share/doc/headcopy/README.md")
set(CPACK_RPM_DBGSYM_PACKAGE_NAME headcopy-debuginfo)
set(CPACK_RPM_DBGSYM_PACKAGE_SUMMARY "Debug information for headcopy")
set(CPACK_RPM_DBGSYM_PACKAGE_DESCRIPTION "The debug information of the headcopy program, by which addr2line turns the
address in a runtime error report into a line of its source.")
set(CPACK_RPM_DBGSYM_PACKAGE_REQUIRES "headcopy = ${headcopy_rpm_version}-${headcopy_rpm_release}")
set(CPACK_RPM_DBGSYM_PACKAGE_ARCHITECTURE ${headcopy_rpm_arch})
# The folders the packages share with the system are the system's.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/lib/debug /usr/lib/debug/.build-id /usr/share/licenses
    /usr/share/man /usr/share/man/man1)
# The same package from the same commit: its build time is the commit's, its
# host no machine's, and nothing is stripped, rewritten or linked by build id
# after install (the debug information is already in place).
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}
%define _build_id_links none
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define __os_install_post %{nil}
%define debug_package %{nil}")
