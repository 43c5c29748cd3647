// The system calls through the C library's POSIX functions: for any processor
// and any POSIX system, and for builds that need the C library (sanitizers).
#pragma once

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sys {

// A POSIX result: -1 becomes the negative error number.
inline long result(long value) { return value < 0 ? -errno : value; }

inline long open(const char* path, int flags, unsigned mode) { return result(::open(path, flags, mode)); }
inline long read(int fd, void* buffer, std::size_t n) { return result(::read(fd, buffer, n)); }
inline long write(int fd, const void* buffer, std::size_t n) { return result(::write(fd, buffer, n)); }
inline long close(int fd) { return result(::close(fd)); }
inline long unlink(const char* path) { return result(::unlink(path)); }
inline long empty(int fd) { return result(::ftruncate(fd, 0)); }
inline long duplicate_from(int fd, int lowest) { return result(::fcntl(fd, F_DUPFD_CLOEXEC, lowest)); }
inline long access_mode(int fd) { return result(::fcntl(fd, F_GETFL)); }

inline long status(int fd, FileStatus& out)
{
    struct stat file {};
    long outcome = result(::fstat(fd, &file));
    if (outcome == 0)
        out = {static_cast<std::uint64_t>(file.st_dev), static_cast<std::uint64_t>(file.st_ino),
               static_cast<std::int64_t>(file.st_size), kind_of(static_cast<unsigned>(file.st_mode))};
    return outcome;
}

// The running program's own file, from /proc where the system has it, else
// from the name it was started by; the length, size or more when cut.
long program_path(char* buffer, std::size_t size, const char* argv0);

inline long map(std::size_t length, void*& address)
{
    void* mapped = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return -errno;
    address = mapped;
    return 0;
}
inline long unmap(void* address, std::size_t length) { return result(::munmap(address, length)); }

inline long ignore_signal(int signal)
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return result(::sigaction(signal, &ignore, nullptr));
}

[[noreturn]] inline void exit(int code) { ::_exit(code); }

}  // namespace sys
