// Files and standard handles on POSIX, with the Win32 meaning the services expect.
#include "platform/win32.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int fd_of(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle)); }
HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd)); }

// Win32 keeps a second opener out of a file by the share mode of the handles
// already open on it. POSIX has no such rule, so the handles of this process
// are kept here with what they allow.
struct OpenFile {
    int fd;
    dev_t device;
    ino_t inode;
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

HANDLE fail_open(int fd, int error)
{
    if (fd >= 0)
        close(fd);
    errno = error;
    return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, SECURITY_ATTRIBUTES*, DWORD disposition,
                   DWORD, HANDLE)
{
    if (disposition != CREATE_ALWAYS && disposition != OPEN_EXISTING)
        return fail_open(-1, EINVAL);
    if (open_file_count == max_open_files)
        return fail_open(-1, EMFILE);

    // No O_TRUNC: the file is emptied only once it is known not to be shut to us.
    int flags = open_flags(access) | O_CLOEXEC | O_NOCTTY | (disposition == CREATE_ALWAYS ? O_CREAT : 0);
    int fd = open(name, flags, 0666);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;

    // A standard handle that was closed at start stays closed: a file opened on
    // its number would receive what the program writes to standard output.
    if (fd <= 2) {
        int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        if (moved < 0)
            return fail_open(fd, errno);
        close(fd);
        fd = moved;
    }

    struct stat file;
    if (fstat(fd, &file) != 0)
        return fail_open(fd, errno);
    if (S_ISDIR(file.st_mode))
        return fail_open(fd, EISDIR);
    if (sharing_violation(file, access, share_mode))
        return fail_open(fd, EBUSY);
    if (disposition == CREATE_ALWAYS && S_ISREG(file.st_mode) && ftruncate(fd, 0) != 0)
        return fail_open(fd, errno);

    open_files[open_file_count++] = {fd, file.st_dev, file.st_ino, access, share_mode};
    return handle_of(fd);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read_count, OVERLAPPED*)
{
    *read_count = 0;
    ssize_t n;
    do
        n = read(fd_of(file), buffer, to_read);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return FALSE;
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
        ssize_t n = write(fd_of(file), from + *written, to_write - *written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FALSE;
        if (n == 0)
            break;
        *written += static_cast<DWORD>(n);
    }
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size)
{
    struct stat status;
    if (fstat(fd_of(file), &status) != 0)
        return FALSE;
    size->QuadPart = status.st_size;
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    int fd = fd_of(object);
    forget(fd);
    return close(fd) == 0 ? TRUE : FALSE;
}

DWORD GetLastError() { return static_cast<DWORD>(errno); }

HANDLE GetStdHandle(DWORD which)
{
    switch (which) {
    case STD_INPUT_HANDLE: return handle_of(STDIN_FILENO);
    case STD_OUTPUT_HANDLE: return handle_of(STDOUT_FILENO);
    case STD_ERROR_HANDLE: return handle_of(STDERR_FILENO);
    default: errno = EINVAL; return INVALID_HANDLE_VALUE;
    }
}

// Every character device counts as a console: terminals, /dev/null, /dev/full.
DWORD GetFileType(HANDLE file)
{
    struct stat status;
    if (fstat(fd_of(file), &status) != 0)
        return FILE_TYPE_UNKNOWN;
    if (S_ISCHR(status.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}
