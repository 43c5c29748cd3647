// Files and standard handles on POSIX system calls, with the Win32 meaning the services expect.
#include "platform/win32.h"

#include "platform/posix/last_error.h"
#include "platform/posix/system.h"

namespace {

int fd_of(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle)); }
HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd)); }

// Win32 keeps a second opener out of a file by the share mode of the handles
// already open on it. POSIX has no such rule, so the handles of this process
// are kept here with what they allow.
struct OpenFile {
    int fd;
    std::uint64_t device;
    std::uint64_t inode;
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

bool sharing_violation(const sys::FileStatus& file, DWORD access, DWORD share_mode)
{
    for (int i = 0; i < open_file_count; ++i) {
        const OpenFile& held = open_files[i];
        if (held.device == file.device && held.inode == file.inode &&
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

// A refused open leaves nothing behind: the descriptor is closed, and a file
// that this open created is removed again.
HANDLE refuse(int fd, long error, const char* created = nullptr)
{
    if (fd >= 0)
        sys::close(fd);
    if (created)
        sys::unlink(created);
    return fail(INVALID_HANDLE_VALUE, error);
}

constexpr int first_free_fd = 3;

// Moves a new descriptor off the standard numbers: a standard handle that
// was closed at start stays closed, or a file opened on its number would
// receive what the program writes to standard output.
long off_standard(long fd)
{
    if (fd >= 0 && fd < first_free_fd) {
        long moved = sys::duplicate_from(static_cast<int>(fd), first_free_fd);
        sys::close(static_cast<int>(fd));
        return moved;
    }
    return fd;
}

// The standard handles a shell opened on regular files count as open handles
// of this process, with the sharing a shell gives them: so "headcopy d >
// d.start" cannot open d.start a second time and write over its own output.
void note_standard_handles()
{
    static bool noted = false;
    if (noted)
        return;
    noted = true;
    for (int fd = 0; fd < first_free_fd; ++fd) {
        sys::FileStatus file{};
        if (sys::status(fd, file) != 0 || file.kind != sys::FileKind::regular)
            continue;
        long flags = sys::access_mode(fd);
        if (flags < 0)
            continue;
        DWORD access = (flags & O_ACCMODE) == O_RDONLY   ? GENERIC_READ
                       : (flags & O_ACCMODE) == O_WRONLY ? GENERIC_WRITE
                                                         : GENERIC_READ | GENERIC_WRITE;
        open_files[open_file_count++] = {fd, file.device, file.inode, access, FILE_SHARE_READ | FILE_SHARE_WRITE};
    }
}

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, SECURITY_ATTRIBUTES*, DWORD disposition, DWORD, HANDLE)
{
    if (disposition != CREATE_ALWAYS && disposition != OPEN_EXISTING)
        return refuse(-1, -EINVAL);
    note_standard_handles();
    if (open_file_count == max_open_files)
        return refuse(-1, -EMFILE);

    // Nothing waits: not the open of a pipe for its other end, nor a write
    // to a full pipe or a stopped terminal. No O_TRUNC: the file is emptied
    // only once it is known not to be shut to us.
    constexpr int every_open = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int flags = open_flags(access) | every_open;
    const char* created = nullptr;
    long opened = sys::open(name, flags, 0);
    if (opened == -ENOENT && disposition == CREATE_ALWAYS) {
        opened = sys::open(name, flags | O_CREAT | O_EXCL, 0666);
        if (opened >= 0)
            created = name;
        else if (opened == -EEXIST)  // a link to no file yet, or a file made meanwhile
            opened = sys::open(name, flags | O_CREAT, 0666);
    }
    opened = off_standard(opened);
    if (opened < 0)
        return refuse(-1, opened, created);
    auto fd = static_cast<int>(opened);

    sys::FileStatus file{};
    if (long error = sys::status(fd, file))
        return refuse(fd, error, created);
    if (file.kind == sys::FileKind::directory)
        return refuse(fd, -EISDIR, created);
    // Bytes written into a pipe count only once a reader has them: a pipe to
    // be created, that is written, is opened again for writing alone, so that
    // this process is no reader of its own, and refused with no reader (ENXIO).
    if (file.kind == sys::FileKind::fifo && disposition == CREATE_ALWAYS) {
        sys::close(fd);
        long writer = off_standard(sys::open(name, O_WRONLY | every_open, 0));
        if (writer < 0)
            return refuse(-1, writer);
        fd = static_cast<int>(writer);
        sys::FileStatus again{};
        if (long error = sys::status(fd, again))
            return refuse(fd, error);
        if (again.device != file.device || again.inode != file.inode)
            return refuse(fd, -EBUSY);
    }
    if (sharing_violation(file, access, share_mode))
        return refuse(fd, -EBUSY, created);
    if (disposition == CREATE_ALWAYS && file.kind == sys::FileKind::regular)
        if (long error = sys::empty(fd))
            return refuse(fd, error, created);

    open_files[open_file_count++] = {fd, file.device, file.inode, access, share_mode};
    return handle_of(fd);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read_count, OVERLAPPED*)
{
    *read_count = 0;
    long n;
    do
        n = sys::read(fd_of(file), buffer, to_read);
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
        long n = sys::write(fd_of(file), from + *written, to_write - *written);
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
    sys::FileStatus status{};
    if (long error = sys::status(fd_of(file), status))
        return fail(FALSE, error);
    size->QuadPart = status.size;
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    int fd = fd_of(object);
    forget(fd);
    if (long error = sys::close(fd))
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
    sys::FileStatus status{};
    if (long error = sys::status(fd_of(file), status))
        return fail(FILE_TYPE_UNKNOWN, error);
    if (status.kind == sys::FileKind::character)
        return FILE_TYPE_CHAR;
    if (status.kind == sys::FileKind::fifo || status.kind == sys::FileKind::socket)
        return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}
