// Linux system calls made directly, without a C library: each returns the
// kernel's result, a negative errno value on failure.
#pragma once

#include <asm/stat.h>
#include <asm/unistd.h>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace linux_call {

inline long raw(long number, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0)
{
    long result;
    register long r10 __asm__("r10") = d;
    register long r8 __asm__("r8") = e;
    register long r9 __asm__("r9") = f;
    __asm__ volatile("syscall"
                     : "=a"(result)
                     : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10), "r"(r8), "r"(r9)
                     : "rcx", "r11", "memory");
    return result;
}

template <typename T>
long arg(T value)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<long>(value);
    else
        return static_cast<long>(value);
}

// The kinds of file a mode holds.
enum class FileKind : unsigned {
    fifo = 0010000,
    character = 0020000,
    directory = 0040000,
    regular = 0100000,
    socket = 0140000
};
inline bool is(unsigned mode, FileKind kind) { return (mode & 0170000) == static_cast<unsigned>(kind); }

inline long openat(int dir, const char* path, int flags, unsigned mode)
{
    return raw(__NR_openat, dir, arg(path), flags, mode);
}
inline long read(int fd, void* buffer, std::size_t n) { return raw(__NR_read, fd, arg(buffer), arg(n)); }
inline long write(int fd, const void* buffer, std::size_t n) { return raw(__NR_write, fd, arg(buffer), arg(n)); }
inline long close(int fd) { return raw(__NR_close, fd); }
inline long fstat(int fd, struct stat* status) { return raw(__NR_fstat, fd, arg(status)); }
inline long ftruncate(int fd, long length) { return raw(__NR_ftruncate, fd, length); }
inline long fcntl(int fd, int command, long value) { return raw(__NR_fcntl, fd, command, value); }
inline long readlink(const char* path, char* buffer, std::size_t size)
{
    return raw(__NR_readlink, arg(path), arg(buffer), arg(size));
}
inline long mmap(std::size_t length)
{
    constexpr long prot_read_write = 0x3, map_private_anonymous = 0x22;
    return raw(__NR_mmap, 0, arg(length), prot_read_write, map_private_anonymous, -1, 0);
}
inline long munmap(void* address, std::size_t length) { return raw(__NR_munmap, arg(address), arg(length)); }
inline long ignore_signal(int signal)
{
    struct {
        long handler, flags, restorer, mask;
    } ignore = {1 /* SIG_IGN */, 0, 0, 0};
    return raw(__NR_rt_sigaction, signal, arg(&ignore), 0, sizeof ignore.mask);
}
[[noreturn]] inline void exit_group(int code)
{
    for (;;)
        raw(__NR_exit_group, code);
}

}  // namespace linux_call
