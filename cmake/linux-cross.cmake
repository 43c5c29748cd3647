# Cross-build for Linux with one of Debian's cross compilers, for a target
# of the table of targets, cmake/targets.txt: HEADCOPY_TARGET names its row
# (each cross preset gives its own name), or HEADCOPY_TRIPLET its compiler,
# as in cmake -DHEADCOPY_TRIPLET=arm-linux-gnueabihf (g++-arm-linux-gnueabihf);
# with neither, the table's first row of this toolchain.
# The programs run here under qemu-user (Debian's qemu-user-static), which
# finds the C library of a dynamically linked build under the -L folder; a
# 32-bit x86 build runs natively where this kernel and its C library can.
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
headcopy_toolchain_row(linux-cross)
set(headcopy_cpu ${headcopy_target_processor})

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${headcopy_cpu})
set(CMAKE_C_COMPILER ${headcopy_target_triplet}-gcc)
set(CMAKE_CXX_COMPILER ${headcopy_target_triplet}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${headcopy_target_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The program is tested as the oldest processor its row names; CI runs the
# others by setting this.
string(REGEX REPLACE ",.*" "" headcopy_first_cpu "${headcopy_target_cpus}")
if(headcopy_first_cpu STREQUAL "-")
  set(headcopy_first_cpu "")
endif()
set(HEADCOPY_QEMU_CPU "${headcopy_first_cpu}" CACHE STRING "The processor qemu emulates for the program (-cpu); empty for qemu's default")

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${headcopy_target_qemu}-static -L /usr/${headcopy_target_triplet})
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
