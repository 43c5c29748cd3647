# Cross-build for Windows on ARM64 with Debian's clang and lld. Debian has no
# mingw-w64 compiler for ARM64, and the program needs none of one: it takes
# mingw-w64's headers (the same for every processor), the C++ headers of the
# x86-64 mingw-w64 g++ (the program uses only those that need no library),
# import libraries made from its own lists of the calls it makes
# (src/platform/windows/*.def), and no C runtime. Nothing here runs the
# program: wine runs x86 and x64 programs only.
set(HEADCOPY_LLVM_VERSION 14 CACHE STRING "The version of Debian's clang, lld and LLVM tools that build headcopy.exe")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HEADCOPY_LLVM_VERSION)
# The row HEADCOPY_TARGET names (each preset gives its own), or by hand the
# table's one row built with this file, gives the triple and the processor.
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
headcopy_toolchain_row(clang-windows)
set(headcopy_triple ${headcopy_target_triplet})
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${headcopy_target_processor})
set(CMAKE_CXX_COMPILER clang++-${HEADCOPY_LLVM_VERSION})
set(CMAKE_CXX_COMPILER_TARGET ${headcopy_triple})
set(CMAKE_RC_COMPILER llvm-windres-${HEADCOPY_LLVM_VERSION})
set(CMAKE_AR llvm-ar-${HEADCOPY_LLVM_VERSION})
set(CMAKE_RANLIB llvm-ranlib-${HEADCOPY_LLVM_VERSION})
set(CMAKE_OBJCOPY llvm-objcopy-${HEADCOPY_LLVM_VERSION})
set(CMAKE_OBJDUMP llvm-objdump-${HEADCOPY_LLVM_VERSION})
set(CMAKE_READELF llvm-readelf-${HEADCOPY_LLVM_VERSION})
set(HEADCOPY_DLLTOOL llvm-dlltool-${HEADCOPY_LLVM_VERSION} -m arm64)

# No system header of this machine is read: the C++ headers, then Windows'.
set(headcopy_windows_headers /usr/share/mingw-w64/include)
execute_process(COMMAND x86_64-w64-mingw32-g++ -print-file-name=include OUTPUT_VARIABLE headcopy_gcc_include
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS ${headcopy_gcc_include}/c++/x86_64-w64-mingw32/bits/c++config.h OR
   NOT EXISTS ${headcopy_windows_headers}/windows.h)
  message(FATAL_ERROR "headcopy: the ARM64 build needs mingw-w64's headers and its x86-64 C++ headers "
                      "(apt-get install g++-mingw-w64-x86-64)")
endif()
string(JOIN " " CMAKE_CXX_FLAGS_INIT -nostdlibinc -isystem ${headcopy_gcc_include}/c++
       -isystem ${headcopy_gcc_include}/c++/x86_64-w64-mingw32 -isystem ${headcopy_windows_headers})
set(CMAKE_RC_FLAGS_INIT "--target=${headcopy_triple} --preprocessor-arg=-nostdlibinc -I${headcopy_windows_headers}")
# lld, which stamps no link time into the program: two builds give the same
# bytes. The compiler's flags come to the link too, where the headers' do nothing.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -Wl,--no-insert-timestamp -Wno-unused-command-line-argument")
# With no C runtime, no program links until the project gives its entry.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
