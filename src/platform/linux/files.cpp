// Files and standard handles on Linux system calls, with the Win32 meaning the services expect.
#include "platform/win32.h"

#include <asm-generic/errno.h>
#include <linux/fcntl.h>

#include "platform/linux/last_error.h"
#include "platform/linux/system_calls.h"

namespace {

int fd_of(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle)); }
HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd)); }

// Win32 keeps a second opener out of a file by the share mode of the handles
// already open on it. POSIX has no such rule, so the handles of this process
// are kept here with what they allow.
struct OpenFile {
    int fd;
    unsigned long device;
    unsigned long inode;
    DWORD access;
    DWORD share_mode;
};
constexpr int max_open_files = 8;
OpenFile open_files[max_open_files];
int open_file_count;

bool excludes(DWORD share_mode, DWORD access)
{
    return ((access & GENERIC_READ) && !(share_mode & FILE_SHARE_READ)) ||
           ((access & GENERIC_WRITE) && !(share_mode & FILE_SHARE_WRITE));
}

bool sharing_violation(const struct stat& file, DWORD access, DWORD share_mode)
{
    for (int i = 0; i < open_file_count; ++i) {
        const OpenFile& held = open_files[i];
        if (held.device == file.st_dev && held.inode == file.st_ino &&
            (excludes(held.share_mode, access) || excludes(share_mode, held.access)))
            return true;
    }
    return false;
}

void forget(int fd)
{
    for (int i = 0; i < open_file_count; ++i) {
        if (open_files[i].fd == fd) {
            open_files[i] = open_files[--open_file_count];
            return;
        }
    }
}

int open_flags(DWORD access)
{
    switch (access & (GENERIC_READ | GENERIC_WRITE)) {
    case GENERIC_READ | GENERIC_WRITE: return O_RDWR;
    case GENERIC_WRITE: return O_WRONLY;
    default: return O_RDONLY;
    }
}

HANDLE fail_open(int fd, long error)
{
    if (fd >= 0)
        linux_call::close(fd);
    return fail(INVALID_HANDLE_VALUE, error);
}

constexpr int first_free_fd = 3;

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, SECURITY_ATTRIBUTES*, DWORD disposition, DWORD, HANDLE)
{
    if (disposition != CREATE_ALWAYS && disposition != OPEN_EXISTING)
        return fail_open(-1, -EINVAL);
    if (open_file_count == max_open_files)
        return fail_open(-1, -EMFILE);

    // No O_TRUNC: the file is emptied only once it is known not to be shut to us.
    int flags = open_flags(access) | O_CLOEXEC | O_NOCTTY | (disposition == CREATE_ALWAYS ? O_CREAT : 0);
    long opened = linux_call::openat(AT_FDCWD, name, flags, 0666);
    if (opened < 0)
        return fail_open(-1, opened);
    auto fd = static_cast<int>(opened);

    // A standard handle that was closed at start stays closed: a file opened on
    // its number would receive what the program writes to standard output.
    if (fd < first_free_fd) {
        long moved = linux_call::fcntl(fd, F_DUPFD_CLOEXEC, first_free_fd);
        if (moved < 0)
            return fail_open(fd, moved);
        linux_call::close(fd);
        fd = static_cast<int>(moved);
    }

    struct stat file {};
    if (long error = linux_call::fstat(fd, &file))
        return fail_open(fd, error);
    if (linux_call::is(file.st_mode, linux_call::FileKind::directory))
        return fail_open(fd, -EISDIR);
    if (sharing_violation(file, access, share_mode))
        return fail_open(fd, -EBUSY);
    if (disposition == CREATE_ALWAYS && linux_call::is(file.st_mode, linux_call::FileKind::regular))
        if (long error = linux_call::ftruncate(fd, 0))
            return fail_open(fd, error);

    open_files[open_file_count++] = {fd, file.st_dev, file.st_ino, access, share_mode};
    return handle_of(fd);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read_count, OVERLAPPED*)
{
    *read_count = 0;
    long n;
    do
        n = linux_call::read(fd_of(file), buffer, to_read);
    while (n == -EINTR);
    if (n < 0)
        return fail(FALSE, n);
    *read_count = static_cast<DWORD>(n);
    return TRUE;
}

// Like a synchronous Win32 write, it returns only when every byte is written or
// the write has failed.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD to_write, LPDWORD written, OVERLAPPED*)
{
    const char* from = static_cast<const char*>(buffer);
    *written = 0;
    while (*written < to_write) {
        long n = linux_call::write(fd_of(file), from + *written, to_write - *written);
        if (n == -EINTR)
            continue;
        if (n < 0)
            return fail(FALSE, n);
        if (n == 0)
            break;
        *written += static_cast<DWORD>(n);
    }
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size)
{
    struct stat status {};
    if (long error = linux_call::fstat(fd_of(file), &status))
        return fail(FALSE, error);
    size->QuadPart = status.st_size;
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    int fd = fd_of(object);
    forget(fd);
    if (long error = linux_call::close(fd))
        return fail(FALSE, error);
    return TRUE;
}

HANDLE GetStdHandle(DWORD which)
{
    switch (which) {
    case STD_INPUT_HANDLE: return handle_of(0);
    case STD_OUTPUT_HANDLE: return handle_of(1);
    case STD_ERROR_HANDLE: return handle_of(2);
    default: return fail(INVALID_HANDLE_VALUE, -EINVAL);
    }
}

// Every character device counts as a console: terminals, /dev/null, /dev/full.
DWORD GetFileType(HANDLE file)
{
    struct stat status {};
    if (long error = linux_call::fstat(fd_of(file), &status))
        return fail(FILE_TYPE_UNKNOWN, error);
    if (linux_call::is(status.st_mode, linux_call::FileKind::character))
        return FILE_TYPE_CHAR;
    if (linux_call::is(status.st_mode, linux_call::FileKind::fifo) ||
        linux_call::is(status.st_mode, linux_call::FileKind::socket))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}
