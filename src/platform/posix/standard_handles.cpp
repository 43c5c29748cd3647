#include "platform/posix/standard_handles.h"

#include "platform/posix/handles.h"
#include "platform/posix/last_error.h"
#include "platform/posix/share_table.h"

namespace {

// What each standard handle is, looked at once: a descriptor's kind cannot change.
struct StandardHandle {
    bool known;
    sys::FileKind kind;
};
StandardHandle standard_handles[first_free_fd];

// The copies that hold closed standard numbers for the moment of an open.
int held[first_free_fd];
int held_count;

}  // namespace

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
            hold_share(fd, file, GENERIC_READ | GENERIC_WRITE, 0);
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
        hold_share(fd, file, access, FILE_SHARE_READ | FILE_SHARE_WRITE);
    }
}

long off_standard(long fd)
{
    if (fd >= 0 && fd < first_free_fd) {
        long moved = sys::duplicate_from(static_cast<int>(fd), first_free_fd);
        sys::close(static_cast<int>(fd));
        return moved;
    }
    return fd;
}

long hold_closed_standard()
{
    int source = some_open_fd();
    for (int fd = 0; fd < first_free_fd && source >= 0; ++fd) {
        if (standard_handles[fd].known)
            continue;
        long copy = sys::duplicate_from(source, fd);
        if (copy < 0) {
            release_closed_standard();
            return copy;
        }
        held[held_count++] = static_cast<int>(copy);
    }
    return 0;
}

void release_closed_standard()
{
    while (held_count > 0)
        sys::close(held[--held_count]);
}

HANDLE GetStdHandle(DWORD which)
{
    switch (which) {
    case STD_INPUT_HANDLE: return handle_of(0);
    case STD_OUTPUT_HANDLE: return handle_of(1);
    case STD_ERROR_HANDLE: return handle_of(2);
    default: return record_error(INVALID_HANDLE_VALUE, -EINVAL);
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
        return record_error(FILE_TYPE_UNKNOWN, error);
    if (status.kind == sys::FileKind::character)
        return FILE_TYPE_CHAR;
    if (status.kind == sys::FileKind::fifo || status.kind == sys::FileKind::socket)
        return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}
