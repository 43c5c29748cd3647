// Reads, writes, sizes and closes on POSIX system calls, with the Win32
// meaning the services expect. Opens are create_file.cpp's.
#include "platform/posix/handles.h"
#include "platform/posix/last_error.h"
#include "platform/posix/share_table.h"
#include "platform/posix/system.h"
#include "platform/win32.h"

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
        if (n == -EBADF && !handle_carries(fd_of(file), GENERIC_READ))
            n = -EACCES;
        if (n < 0)
            return record_error(FALSE, n);
        if (n == 0)
            break;
        *read_count += static_cast<DWORD>(n);
    }
    return TRUE;
}

// Like a synchronous Win32 write, it returns only when every byte is written or
// the write has failed, and the services trust it: the rule lives here alone.
// A write that takes nothing is tried once more when the one before took
// bytes (a pipe or terminal may pause), and otherwise ends the write short.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD to_write, LPDWORD written, OVERLAPPED*)
{
    const char* from = static_cast<const char*>(buffer);
    *written = 0;
    bool took_some = false;
    while (*written < to_write) {
        long n = sys::write(fd_of(file), from + *written, to_write - *written);
        if (n == -EINTR)
            continue;
        if (n == -EBADF && !handle_carries(fd_of(file), GENERIC_WRITE))
            n = -EACCES;
        if (n < 0)
            return record_error(FALSE, n);
        if (n == 0 && !took_some)
            break;
        took_some = n > 0;
        *written += static_cast<DWORD>(n);
    }
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size)
{
    sys::FileStatus status{};
    if (long error = sys::status(fd_of(file), status))
        return record_error(FALSE, error);
    if (status.kind == sys::FileKind::block)
        if (long error = sys::block_size(fd_of(file), status.size))
            return record_error(FALSE, error);
    size->QuadPart = status.size;
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    int fd = fd_of(object);
    release_share(fd);
    if (long error = sys::close(fd))
        return record_error(FALSE, error);
    return TRUE;
}
