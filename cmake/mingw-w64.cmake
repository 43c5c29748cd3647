# Cross-build for Windows with Debian's mingw-w64, for a target of the table
# of targets, cmake/targets.txt, that HEADCOPY_TARGET names (each preset gives
# its own name); by hand, for the triplet HEADCOPY_TRIPLET:
# x86_64-w64-mingw32 (the default, the table's first) for 64-bit Windows,
# i686-w64-mingw32 for 32-bit Windows. The programs run here under wine.
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
headcopy_toolchain_row(mingw-w64)
set(HEADCOPY_TRIPLET ${headcopy_target_triplet})
set(headcopy_cpu ${headcopy_target_processor})
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${headcopy_cpu})
set(CMAKE_C_COMPILER ${HEADCOPY_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${HEADCOPY_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${HEADCOPY_TRIPLET}-windres)
# Each program is run by the loader of its own width. Debian's `wine` picks
# the 32-bit loader whenever 32-bit wine is installed, and that loader cannot
# start on a kernel that runs no 32-bit x86 program (cmake/runs-i386), so a
# 64-bit program is run by the 64-bit loader directly: WINELOADER, or wine64.
if(headcopy_cpu STREQUAL "x86_64")
  if(DEFINED ENV{WINELOADER})
    set(headcopy_wine_loader $ENV{WINELOADER})
  else()
    find_program(headcopy_wine_loader NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_CACHE)
  endif()
endif()
if(NOT headcopy_wine_loader)
  set(headcopy_wine_loader wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${headcopy_wine_loader})
set(CMAKE_FIND_ROOT_PATH /usr/${HEADCOPY_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
