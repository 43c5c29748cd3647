// CreateFileA on POSIX: the product's own rules for opening a file, each a
// named step, in the order CreateFileA takes them. A descriptor takes only the
// access it uses (taken_access): the input is opened for reading alone, and
// NAME.start, new or existing, for writing alone. A pipe as the input is
// refused unopened; a pipe as NAME.start is opened once, for writing. The
// standard handles count as open handles of this process (share_table.h).
#include <charconv>
#include <cstring>

#include "platform/posix/handles.h"
#include "platform/posix/last_error.h"
#include "platform/posix/share_table.h"
#include "platform/posix/standard_handles.h"
#include "platform/posix/system.h"
#include "platform/win32.h"

namespace {

// Nothing waits: not the open of a pipe for its other end, nor a write to a
// full pipe or a stopped terminal.
constexpr int every_open = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

struct Opened {
    long fd;              // or a negative error number
    const char* created;  // the file this open made, by its name or a dangling link's, to remove on a refusal
    bool made;            // this run made the file, through a dangling link too, and so may use it
    bool is_new;          // made by its own name, so there is nothing in it to empty
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

// A refused open leaves nothing behind: the descriptor is closed, and a file
// that this open created is removed again.
HANDLE refuse(int fd, long error, const char* created = nullptr)
{
    if (fd >= 0)
        sys::close(fd);
    if (created)
        sys::unlink(created);
    return record_error(INVALID_HANDLE_VALUE, error);
}

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

// Win32 opens files and devices, not folders, and shares by its own rules.
// What a name leads to is judged before it is opened, as an open for writing
// is itself a write (a copy up, a broken lease, a watcher told), and the
// file opened is judged again, for a name that changed meanwhile.
long refusal_of(const sys::FileStatus& file, DWORD access, DWORD share_mode)
{
    if (file.kind == sys::FileKind::directory)
        return -EISDIR;
    if (shut_out_by_sharing(file, access, share_mode))
        return -EBUSY;
    return 0;
}

// A pipe is not opened at all: any open of one releases a peer waiting at
// its other end.
Opened open_without_creating(LPCSTR name, DWORD taken, DWORD access, DWORD share_mode)
{
    sys::FileStatus file{};
    if (long error = sys::status_at(name, file))
        return {error, nullptr, false, false};
    if (file.kind == sys::FileKind::fifo)
        return {-ENXIO, nullptr, false, false};
    if (long error = refusal_of(file, access, share_mode))
        return {error, nullptr, false, false};
    return {off_standard(open_waiting_out_lease(name, open_flags(taken), 0, file.kind)), nullptr, false, false};
}

// The name of the file that following the link name made, the file open
// on fd: each link read in turn, a relative one from its own folder, as the
// system follows them. Null where no name under the system's length limit
// leads to that very file, or where it is not empty, as one made meanwhile
// by someone else may not be. Kept until the next call.
const char* made_through_link(LPCSTR name, int fd)
{
    constexpr std::size_t path_room = 4096;  // the longest name the system opens, and its NUL
    constexpr int most_links = 40;           // and the most links it follows
    static char path[path_room];
    char target[path_room] = {};
    std::size_t length = std::strlen(name);
    if (length >= path_room)
        return nullptr;
    std::memcpy(path, name, length + 1);
    for (int links = 0;; ++links) {
        long n = sys::read_link(path, target, path_room);
        if (n == -EINVAL)  // no link: the file itself
            break;
        if (n <= 0 || links == most_links)
            return nullptr;
        std::size_t folder = 0;
        if (target[0] != '/')
            for (std::size_t i = 0; path[i]; ++i)
                if (path[i] == '/')
                    folder = i + 1;
        auto size = static_cast<std::size_t>(n);
        if (folder + size >= path_room)
            return nullptr;
        std::memcpy(path + folder, target, size);
        path[folder + size] = '\0';
    }
    sys::FileStatus opened{};
    sys::FileStatus named{};
    bool same = sys::status(fd, opened) == 0 && sys::status_at(path, named) == 0 && opened.device == named.device &&
                opened.inode == named.inode;
    return same && opened.size == 0 ? path : nullptr;
}

// Every open asks to create, so that the system's protections of creates
// hold: another user's file in a sticky world-writable folder is refused.
// No O_TRUNC: the file is emptied only once it is known not to be shut to
// us. A pipe opened for writing alone with no reader is refused (ENXIO).
// looked is what the name's status_at answered, and kind the file's.
Opened open_or_create(LPCSTR name, DWORD taken, long looked, sys::FileKind kind)
{
    int flags = open_flags(taken) | O_CREAT;
    if (looked != -ENOENT)
        return {off_standard(open_waiting_out_lease(name, flags, 0666, kind)), nullptr, false, false};
    long fd = sys::open(name, flags | O_EXCL, 0666);
    if (fd >= 0)
        return {off_standard(fd), name, true, true};
    if (fd != -EEXIST)
        return {fd, nullptr, false, false};
    // A link to no file: following it makes the file now, for this run (or
    // opens one made meanwhile, which is emptied as any existing one is).
    fd = sys::open(name, flags, 0666);
    if (fd < 0)
        return {fd, nullptr, false, false};
    const char* made = made_through_link(name, static_cast<int>(fd));
    return {off_standard(fd), made, true, false};
}

// The open lands above every standard number closed at start, or fails for
// want of a descriptor before it makes anything: never on a closed standard
// number that it could not then be moved off, leaving a file to remove by name.
Opened create_unless_refused(LPCSTR name, DWORD taken, DWORD access, DWORD share_mode)
{
    sys::FileStatus file{};
    long looked = sys::status_at(name, file);
    if (long error = looked == 0 ? refusal_of(file, access, share_mode) : 0)
        return {error, nullptr, false, false};
    if (long error = hold_closed_standard())
        return {error, nullptr, false, false};
    Opened opened = open_or_create(name, taken, looked, looked == 0 ? file.kind : sys::FileKind::other);
    release_closed_standard();
    return opened;
}

// "/proc/self/fd/N": the file open on fd, by a name no one can move.
const char* descriptor_path(int fd, char (&path)[32])
{
    constexpr char prefix[] = "/proc/self/fd/";
    std::memcpy(path, prefix, sizeof prefix - 1);
    *std::to_chars(path + sizeof prefix - 1, path + sizeof path - 1, fd).ptr = '\0';
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

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, SECURITY_ATTRIBUTES*, DWORD disposition, DWORD, HANDLE)
{
    if (disposition != CREATE_ALWAYS && disposition != OPEN_EXISTING)
        return refuse(-1, -EINVAL);
    note_standard_handles();
    if (share_table_full())
        return refuse(-1, -EMFILE);

    DWORD taken = taken_access(access, disposition);
    Opened opened = disposition == CREATE_ALWAYS ? create_unless_refused(name, taken, access, share_mode)
                                                 : open_without_creating(name, taken, access, share_mode);
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
    if (disposition == CREATE_ALWAYS && file.kind == sys::FileKind::regular && !opened.is_new)
        if (long error = sys::truncate_to_zero(fd))
            return refuse(fd, error, opened.created);

    hold_share(fd, file, access, share_mode);
    return handle_of(fd);
}
