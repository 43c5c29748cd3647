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
  # Debian's i386 C library (libc6:i386, libstdc++6:i386) and a kernel that
  # runs 32-bit programs: nothing stands between the test and the program.
  execute_process(COMMAND /lib/ld-linux.so.2 --list /usr/lib/i386-linux-gnu/libstdc++.so.6
                  RESULT_VARIABLE headcopy_no_native OUTPUT_QUIET ERROR_QUIET)
  if(headcopy_no_native EQUAL 0)
    unset(CMAKE_CROSSCOMPILING_EMULATOR)
  endif()
endif()
