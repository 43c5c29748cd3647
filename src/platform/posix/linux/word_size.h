// What a 32-bit processor changes, chosen here once: its plain file calls
// measure sizes in 32 bits, so the large-file calls stand in for them, and
// the kernel hands over ELF's 32-bit records at start. A 64-bit port whose
// kernel has no plain status calls defines HEADCOPY_LARGE_FILE_STATUS in its
// syscall_arch.h, and takes the large-file ones too.
#pragma once

#include <asm/stat.h>
#include <asm/unistd.h>
#include <elf.h>
#include <linux/fcntl.h>

#include "syscall_arch.h"

namespace sys::word {

#if __SIZEOF_POINTER__ == 8
using Auxv = Elf64_auxv_t;
constexpr long nr_mmap = __NR_mmap;
constexpr int open_large = 0;
#else
using Auxv = Elf32_auxv_t;
constexpr long nr_mmap = __NR_mmap2;  // its offset counts pages; it is always 0 here
// Without it a file of 2 GiB or more cannot be opened at all.
constexpr int open_large = O_LARGEFILE;
#endif

#if __SIZEOF_POINTER__ == 8 && !defined(HEADCOPY_LARGE_FILE_STATUS)
using KernelStat = struct stat;
constexpr long nr_fstat = __NR_fstat;
constexpr long nr_fstatat = __NR_newfstatat;
#else
using KernelStat = struct stat64;
constexpr long nr_fstat = __NR_fstat64;
constexpr long nr_fstatat = __NR_fstatat64;
#endif

}  // namespace sys::word
