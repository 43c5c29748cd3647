# Read by cpack (packaging/package-parts.cmake) for the Debian packages of a
# cross-built program on the C library: it depends on
# libc6 from the newest GLIBC_ symbol version it asks for, as dpkg-shlibdeps
# would say from Debian's symbols files.
execute_process(COMMAND ${CPACK_HEADCOPY_READELF} -VW ${CPACK_HEADCOPY_PROGRAM} OUTPUT_VARIABLE versions
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "GLIBC_[0-9][0-9.]*" versions "${versions}")
set(newest 2.0)
foreach(version IN LISTS versions)
  string(REPLACE "GLIBC_" "" version ${version})
  if(version VERSION_GREATER newest)
    set(newest ${version})
  endif()
endforeach()
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "libc6 (>= ${newest})")
