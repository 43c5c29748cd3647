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

// What each standard handle is, looked at once: a descriptor's kind cannot change.
struct StandardHandle {
    bool known;
    sys::FileKind kind;
};
StandardHandle standard_handles[first_free_fd];

// The standard handles a shell opened on regular files count as open handles
// of this process, with the sharing a shell gives them: so "headcopy d >
// d.start" cannot open d.start a second time and write over its own output.
// A pipe among them shares nothing: written to as NAME.start, this process
// would be a reader or writer of its own pipe.
void note_standard_handles()
{
    static bool noted = false;
    if (noted)
        return;
    noted = true;
    for (int fd = 0; fd < first_free_fd; ++fd) {
        sys::FileStatus file{};
        if (sys::status(fd, file) != 0)
            continue;
        standard_handles[fd] = {true, file.kind};
        if (file.kind == sys::FileKind::fifo) {
            open_files[open_file_count++] = {fd, file.device, file.inode, GENERIC_READ | GENERIC_WRITE, 0};
            continue;
        }
        if (file.kind != sys::FileKind::regular)
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

// Nothing waits: not the open of a pipe for its other end, nor a write to a
// full pipe or a stopped terminal.
constexpr int every_open = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

struct Opened {
    long fd;              // or a negative error number
    const char* created;  // the name, when this open made the file, to remove on a refusal
    bool made;            // this run made the file, through a dangling link too, and so may use it
};

// The one access a descriptor takes: an existing file is read, a created one
// written. On some file systems an open for writing is itself a write (a copy
// up into an overlay, a broken lease, a watcher told of a change), and a pipe
// opened for both ends would be its own reader.
DWORD taken_access(DWORD access, DWORD disposition)
{
    DWORD used = disposition == CREATE_ALWAYS ? GENERIC_WRITE : GENERIC_READ;
    return access & used ? used : access & (GENERIC_READ | GENERIC_WRITE);
}

int open_flags(DWORD taken) { return (taken == GENERIC_WRITE ? O_WRONLY : O_RDONLY) | every_open; }

// A lease that another process holds on a regular file (a file server's) is
// broken by an open that may not wait, and the open answers EAGAIN; opened
// again, it waits until the holder lets go, as every reader waits. Only a
// file that was regular a moment ago is opened so, so that a pipe put in its
// place meanwhile is still never waited on.
long open_waiting_out_lease(LPCSTR name, int flags, unsigned mode, sys::FileKind kind)
{
    long fd = sys::open(name, flags, mode);
    if (fd == -EAGAIN && kind == sys::FileKind::regular)
        fd = sys::open(name, flags & ~O_NONBLOCK, mode);
    return fd;
}

// A pipe is not opened at all: any open of one releases a peer waiting at
// its other end.
Opened open_existing(LPCSTR name, DWORD taken)
{
    sys::FileStatus file{};
    if (long error = sys::status_at(name, file))
        return {error, nullptr, false};
    if (file.kind == sys::FileKind::fifo)
        return {-ENXIO, nullptr, false};
    return {off_standard(open_waiting_out_lease(name, open_flags(taken), 0, file.kind)), nullptr, false};
}

// Every open asks to create, so that the system's protections of creates
// hold: another user's file in a sticky world-writable folder is refused.
// No O_TRUNC: the file is emptied only once it is known not to be shut to
// us. A pipe opened for writing alone with no reader is refused (ENXIO).
Opened open_or_create(LPCSTR name, DWORD taken)
{
    int flags = open_flags(taken) | O_CREAT;
    sys::FileStatus file{};
    long looked = sys::status_at(name, file);
    if (looked != -ENOENT) {
        sys::FileKind kind = looked == 0 ? file.kind : sys::FileKind::other;
        return {off_standard(open_waiting_out_lease(name, flags, 0666, kind)), nullptr, false};
    }
    long fd = sys::open(name, flags | O_EXCL, 0666);
    if (fd >= 0)
        return {off_standard(fd), name, true};
    if (fd != -EEXIST)
        return {fd, nullptr, false};
    // A link to no file: following it makes the file now, for this run (or
    // opens one made meanwhile, which is emptied as any existing one is).
    return {off_standard(sys::open(name, flags, 0666)), nullptr, true};
}

// "/proc/self/fd/N": the file open on fd, by a name no one can move.
const char* descriptor_path(int fd, char (&path)[32])
{
    constexpr char prefix[] = "/proc/self/fd/";
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + fd % 10);
        fd /= 10;
    } while (fd > 0);
    char* at = path;
    for (char c : prefix)
        if (c)
            *at++ = c;
    while (count > 0)
        *at++ = digits[--count];
    *at = '\0';
    return path;
}

// A sandbox older than faccessat2 answers it with EPERM, ENOSYS or EINVAL.
// The older check then judges the same file through /proc, and repeats a
// genuine refusal: EPERM for an immutable file, EROFS, EACCES. Without
// /proc it judges the name the file was opened by.
long access_granted(int fd, LPCSTR name, int mode)
{
    long result = sys::access_of(fd, mode);
    if (result != -EPERM && result != -ENOSYS && result != -EINVAL)
        return result;
    char path[32];
    result = sys::access_at(descriptor_path(fd, path), mode);
    return result == -ENOENT ? sys::access_at(name, mode) : result;
}

// What Win32 was asked for beyond the access taken must still be granted, so
// that every refusal of a read and write open stands.
long check_untaken(const Opened& opened, LPCSTR name, DWORD access, DWORD taken)
{
    DWORD untaken = access & (GENERIC_READ | GENERIC_WRITE) & ~taken;
    if (untaken == 0 || opened.made)
        return 0;
    int mode = (untaken & GENERIC_READ ? sys::may_read : 0) | (untaken & GENERIC_WRITE ? sys::may_write : 0);
    return access_granted(static_cast<int>(opened.fd), name, mode);
}

// Win32 opens files and devices, not folders, and shares by its own rules.
long refusal_of(const sys::FileStatus& file, DWORD access, DWORD share_mode)
{
    if (file.kind == sys::FileKind::directory)
        return -EISDIR;
    if (sharing_violation(file, access, share_mode))
        return -EBUSY;
    return 0;
}

// The handle's access as Win32 gave it; a read or write it does not carry
// fails as access denied.
bool carries(int fd, DWORD access)
{
    for (int i = 0; i < open_file_count; ++i)
        if (open_files[i].fd == fd)
            return (open_files[i].access & access) != 0;
    return true;
}

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, SECURITY_ATTRIBUTES*, DWORD disposition, DWORD, HANDLE)
{
    if (disposition != CREATE_ALWAYS && disposition != OPEN_EXISTING)
        return refuse(-1, -EINVAL);
    note_standard_handles();
    if (open_file_count == max_open_files)
        return refuse(-1, -EMFILE);

    DWORD taken = taken_access(access, disposition);
    Opened opened = disposition == CREATE_ALWAYS ? open_or_create(name, taken) : open_existing(name, taken);
    if (opened.fd < 0)
        return refuse(-1, opened.fd, opened.created);
    auto fd = static_cast<int>(opened.fd);
    sys::FileStatus file{};
    if (long error = sys::status(fd, file))
        return refuse(fd, error, opened.created);
    if (disposition == OPEN_EXISTING && file.kind == sys::FileKind::fifo)  // put in the name's place meanwhile
        return refuse(fd, -ENXIO);
    if (long error = refusal_of(file, access, share_mode))
        return refuse(fd, error, opened.created);
    if (long error = check_untaken(opened, name, access, taken))
        return refuse(fd, error, opened.created);
    if (disposition == CREATE_ALWAYS && file.kind == sys::FileKind::regular && !opened.created)
        if (long error = sys::empty(fd))
            return refuse(fd, error, opened.created);

    open_files[open_file_count++] = {fd, file.device, file.inode, access, share_mode};
    return handle_of(fd);
}

// Like Win32's on a file, it reads up to the count asked, stopping early only
// at the end of the file or on an error, which it reports even after some
// bytes; those stay in the buffer and are counted. A pipe or terminal that
// has no more bytes now ends the read as its end would.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read_count, OVERLAPPED*)
{
    auto* into = static_cast<char*>(buffer);
    *read_count = 0;
    while (*read_count < to_read) {
        long n = sys::read(fd_of(file), into + *read_count, to_read - *read_count);
        if (n == -EINTR)
            continue;
        if (n == -EAGAIN && *read_count > 0)
            break;
        if (n == -EBADF && !carries(fd_of(file), GENERIC_READ))
            n = -EACCES;
        if (n < 0)
            return fail(FALSE, n);
        if (n == 0)
            break;
        *read_count += static_cast<DWORD>(n);
    }
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
        if (n == -EBADF && !carries(fd_of(file), GENERIC_WRITE))
            n = -EACCES;
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
    if (status.kind == sys::FileKind::block)
        if (long error = sys::block_size(fd_of(file), status.size))
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
    int fd = fd_of(file);
    sys::FileStatus status{};
    if (fd >= 0 && fd < first_free_fd && standard_handles[fd].known)
        status.kind = standard_handles[fd].kind;
    else if (long error = sys::status(fd, status))
        return fail(FILE_TYPE_UNKNOWN, error);
    if (status.kind == sys::FileKind::character)
        return FILE_TYPE_CHAR;
    if (status.kind == sys::FileKind::fifo || status.kind == sys::FileKind::socket)
        return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}
