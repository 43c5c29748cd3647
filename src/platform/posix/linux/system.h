// The system calls made directly on Linux, without a C library. Only calls
// that every Linux processor has are used (openat and readlinkat, not open and
// readlink); the processor's own stub comes from its folder, which the build
// puts on the include path. Error numbers, flags and signal numbers are the
// processor's own, from its asm headers: MIPS and SPARC number them apart.
#pragma once

#include <asm/errno.h>
#include <asm/signal.h>
#include <asm/unistd.h>
#include <cstdint>
#include <linux/fcntl.h>
#include <linux/fs.h>
#include <linux/mman.h>
#include <type_traits>

#include "platform/posix/file_status.h"
#include "platform/posix/linux/word_size.h"
#include "syscall_arch.h"

namespace sys {

template <typename T>
long arg(T value)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<long>(value);
    else
        return static_cast<long>(value);
}

inline long open(const char* path, int flags, unsigned mode)
{
    return raw(__NR_openat, AT_FDCWD, arg(path), flags | word::open_large, mode);
}
inline long read(int fd, void* buffer, std::size_t n) { return raw(__NR_read, fd, arg(buffer), arg(n)); }
inline long write(int fd, const void* buffer, std::size_t n) { return raw(__NR_write, fd, arg(buffer), arg(n)); }
inline long close(int fd) { return raw(__NR_close, fd); }
inline long unlink(const char* path) { return raw(__NR_unlinkat, AT_FDCWD, arg(path), 0); }
// Cuts fd to no bytes; a length of 0 needs no 64-bit argument on any processor.
inline long truncate_to_zero(int fd) { return raw(__NR_ftruncate, fd, 0); }
// A copy of fd on the lowest free number from lowest up, closed on exec.
inline long duplicate_from(int fd, int lowest) { return raw(__NR_fcntl, fd, F_DUPFD_CLOEXEC, lowest); }
// The flags fd was opened with, its access among them.
inline long access_mode(int fd) { return raw(__NR_fcntl, fd, F_GETFL); }

// The forms most processors' calls take. A port whose calls differ declares
// its own of the same name in sys::port, in its syscall_arch.h, with
// own_NAME set true there; a name that sys::port declares itself hides the
// one it would take from here.
namespace usual {

inline constexpr bool own_ignore_signal = false;
inline constexpr bool own_map_anonymous = false;

// SIG_IGN, then flags, the 64-bit mask and, where the processor has one,
// the restorer, all zero: the same words serve every layout that puts the
// handler first.
inline long ignore_signal(int signal)
{
    struct {
        long handler, rest[5];
    } ignore = {1, {}};
    return raw(__NR_rt_sigaction, signal, arg(&ignore), 0, sizeof(std::uint64_t));
}

// A private anonymous mapping, its six arguments in registers.
inline long map_anonymous(std::size_t length)
{
    return raw(word::nr_mmap, 0, arg(length), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
}

}  // namespace usual

namespace port {
using namespace usual;
}  // namespace port

// A port's own form is taken exactly where it says so: a misspelt form or
// flag fails here rather than silently taking the usual form.
template <typename Call>
constexpr bool replaced(Call* own, Call* usual)
{
    return own != usual;
}
static_assert(replaced(&port::ignore_signal, &usual::ignore_signal) == port::own_ignore_signal);
static_assert(replaced(&port::map_anonymous, &usual::map_anonymous) == port::own_map_anonymous);

inline long status_from(long result, const word::KernelStat& kernel, FileStatus& out)
{
    if (result == 0)
        out = {kernel.st_dev, kernel.st_ino, static_cast<std::int64_t>(kernel.st_size), kind_of(kernel.st_mode)};
    return result;
}

inline long status(int fd, FileStatus& out)
{
    word::KernelStat kernel{};
    return status_from(raw(word::nr_fstat, fd, arg(&kernel)), kernel, out);
}

// The file a path names, links followed, without opening it.
inline long status_at(const char* path, FileStatus& out)
{
    word::KernelStat kernel{};
    return status_from(raw(word::nr_fstatat, AT_FDCWD, arg(path), arg(&kernel), 0), kernel, out);
}

// Whether this process may read or write (may_read, may_write) the file
// open on fd, judged as an open for that access would be: by its mode, a
// read-only mount, an immutable file. Linux 5.8 and later.
inline long access_of(int fd, int mode) { return raw(__NR_faccessat2, fd, arg(""), mode, AT_EACCESS | AT_EMPTY_PATH); }
// The older check, of a path, as the real user.
inline long access_at(const char* path, int mode) { return raw(__NR_faccessat, AT_FDCWD, arg(path), mode); }

// A block device's size, which its status gives as 0.
inline long block_size(int fd, std::int64_t& size)
{
    std::uint64_t bytes = 0;
    long result = raw(__NR_ioctl, fd, static_cast<long>(BLKGETSIZE64), arg(&bytes));
    if (result == 0)
        size = static_cast<std::int64_t>(bytes);
    return result;
}

// What a symbolic link holds, unterminated; the length, size when cut.
inline long read_link(const char* path, char* buffer, std::size_t size)
{
    return raw(__NR_readlinkat, AT_FDCWD, arg(path), arg(buffer), arg(size));
}

// The running program's own file; the length, which is size or more when
// the path was cut.
inline long program_path(char* buffer, std::size_t size, const char*)
{
    return read_link("/proc/self/exe", buffer, size);
}

// Only -4095 to -1 are error numbers: on a 32-bit processor an address
// above 2 GiB is a negative long too.
inline long map(std::size_t length, void*& address)
{
    long result = port::map_anonymous(length);
    if (static_cast<unsigned long>(result) > static_cast<unsigned long>(-4096))
        return result;
    address = reinterpret_cast<void*>(result);
    return 0;
}
inline long unmap(void* address, std::size_t length) { return raw(__NR_munmap, arg(address), arg(length)); }

inline long ignore_signal(int signal) { return port::ignore_signal(signal); }

[[noreturn]] inline void exit(int code)
{
    for (;;)
        raw(__NR_exit_group, code);
}

}  // namespace sys
