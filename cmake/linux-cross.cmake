# Cross-build for Linux with one of Debian's cross compilers, chosen by its
# triplet: cmake -DHEADCOPY_TRIPLET=arm-linux-gnueabihf (g++-arm-linux-gnueabihf).
# The programs run here under qemu-user (Debian's qemu-user-static), which
# finds the C library of a dynamically linked build under the -L folder; a
# 32-bit x86 build runs natively where this kernel and its C library can.
if(NOT HEADCOPY_TRIPLET)
  message(FATAL_ERROR "headcopy: set HEADCOPY_TRIPLET to a Debian cross compiler's triplet, such as aarch64-linux-gnu")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HEADCOPY_TRIPLET)
string(REGEX MATCH "^[^-]+" headcopy_cpu "${HEADCOPY_TRIPLET}")
# The processor as CMake names it, and qemu's name for it.
set(headcopy_qemu ${headcopy_cpu})
if(headcopy_cpu STREQUAL "i686")
  set(headcopy_qemu i386)
elseif(headcopy_cpu STREQUAL "powerpc64le")
  set(headcopy_cpu ppc64le)
  set(headcopy_qemu ppc64le)
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${headcopy_cpu})
set(CMAKE_C_COMPILER ${HEADCOPY_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${HEADCOPY_TRIPLET}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${HEADCOPY_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${headcopy_qemu}-static -L /usr/${HEADCOPY_TRIPLET})
if(headcopy_cpu STREQUAL "i686")
  # Natively where this kernel runs 32-bit x86 programs (cmake/runs-i386) and
  # Debian's i386 C library (libc6:i386, libstdc++6:i386) is there; else qemu.
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/runs-i386 RESULT_VARIABLE headcopy_no_i386
                  OUTPUT_VARIABLE headcopy_i386_reason OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(headcopy_no_i386 EQUAL 0)
    execute_process(COMMAND /lib/ld-linux.so.2 --list /usr/lib/i386-linux-gnu/libstdc++.so.6
                    RESULT_VARIABLE headcopy_no_i386 OUTPUT_QUIET ERROR_QUIET)
    set(headcopy_i386_reason "the i386 C library is not installed (libc6:i386 libstdc++6:i386)")
  endif()
  if(headcopy_no_i386 EQUAL 0)
    unset(CMAKE_CROSSCOMPILING_EMULATOR)
  else()
    # The toolchain file is read more than once a configure; say it once.
    get_property(headcopy_i386_said GLOBAL PROPERTY headcopy_i386_said)
    if(NOT headcopy_i386_said)
      set_property(GLOBAL PROPERTY headcopy_i386_said ON)
      message(STATUS "headcopy: tested under qemu-i386-static: ${headcopy_i386_reason}")
    endif()
  endif()
endif()
