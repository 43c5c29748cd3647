# Run by cpack once per generator: the parts each kind of package holds
# besides the program and its debug information, which cmake --install
# leaves out (cmake/packaging.cmake).
if(CPACK_GENERATOR STREQUAL "DEB")
  list(APPEND CPACK_COMPONENTS_ALL deb deb_dbgsym)
  if(CPACK_HEADCOPY_DEB_DEPENDS)
    include(${CPACK_HEADCOPY_DEB_DEPENDS})
  endif()
elseif(CPACK_GENERATOR STREQUAL "RPM")
  if(CPACK_HEADCOPY_NO_RPM)
    message(FATAL_ERROR "headcopy: ${CPACK_HEADCOPY_NO_RPM}, so no RPM packages")
  endif()
  list(APPEND CPACK_COMPONENTS_ALL rpm)
endif()
