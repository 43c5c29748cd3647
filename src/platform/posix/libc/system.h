// The system calls through the C library's POSIX functions: for any processor
// and any POSIX system, and for builds that need the C library (sanitizers).
#pragma once

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif

#include "platform/posix/file_status.h"

namespace sys {

// A POSIX result: -1 becomes the negative error number.
inline long result(long value) { return value < 0 ? -errno : value; }

inline long open(const char* path, int flags, unsigned mode) { return result(::open(path, flags, mode)); }
inline long read(int fd, void* buffer, std::size_t n) { return result(::read(fd, buffer, n)); }
inline long write(int fd, const void* buffer, std::size_t n) { return result(::write(fd, buffer, n)); }
inline long close(int fd) { return result(::close(fd)); }
inline long unlink(const char* path) { return result(::unlink(path)); }
inline long truncate_to_zero(int fd) { return result(::ftruncate(fd, 0)); }
inline long duplicate_from(int fd, int lowest) { return result(::fcntl(fd, F_DUPFD_CLOEXEC, lowest)); }
inline long access_mode(int fd) { return result(::fcntl(fd, F_GETFL)); }

inline long status_from(long outcome, const struct stat& file, FileStatus& out)
{
    if (outcome == 0)
        out = {static_cast<std::uint64_t>(file.st_dev), static_cast<std::uint64_t>(file.st_ino),
               static_cast<std::int64_t>(file.st_size), kind_of(static_cast<unsigned>(file.st_mode))};
    return outcome;
}

inline long status(int fd, FileStatus& out)
{
    struct stat file {};
    return status_from(result(::fstat(fd, &file)), file, out);
}

// The file a path names, links followed, without opening it.
inline long status_at(const char* path, FileStatus& out)
{
    struct stat file {};
    return status_from(result(::stat(path, &file)), file, out);
}

// Whether this process may read or write (may_read, may_write) the file
// open on fd, judged as an open for that access would be.
inline long access_of(int fd, int mode)
{
#ifdef AT_EMPTY_PATH
    return result(::faccessat(fd, "", mode, AT_EACCESS | AT_EMPTY_PATH));
#else
    (void)fd;
    (void)mode;
    return -ENOSYS;
#endif
}
// The older check, of a path, as the real user.
inline long access_at(const char* path, int mode) { return result(::access(path, mode)); }

// A block device's size, which its status gives as 0.
inline long block_size(int fd, std::int64_t& size)
{
#ifdef BLKGETSIZE64
    std::uint64_t bytes = 0;
    long outcome = result(::ioctl(fd, BLKGETSIZE64, &bytes));
    if (outcome == 0)
        size = static_cast<std::int64_t>(bytes);
    return outcome;
#else
    // Measured from its end, and the position put back.
    off_t at = ::lseek(fd, 0, SEEK_CUR);
    off_t end = at < 0 ? -1 : ::lseek(fd, 0, SEEK_END);
    if (end < 0 || ::lseek(fd, at, SEEK_SET) < 0)
        return -errno;
    size = static_cast<std::int64_t>(end);
    return 0;
#endif
}

// What a symbolic link holds, unterminated; the length, size when cut.
inline long read_link(const char* path, char* buffer, std::size_t size)
{
    return result(::readlink(path, buffer, size));
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
