set(headcopy_port_sources start_arch.cpp)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND headcopy_port_sources ../guard_fail_local.cpp)
endif()
