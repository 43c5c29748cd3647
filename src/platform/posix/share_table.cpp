#include "platform/posix/share_table.h"

namespace {

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

}  // namespace

bool share_table_full() { return open_file_count == max_open_files; }

bool shut_out_by_sharing(const sys::FileStatus& file, DWORD access, DWORD share_mode)
{
    for (int i = 0; i < open_file_count; ++i) {
        const OpenFile& held = open_files[i];
        if (held.device == file.device && held.inode == file.inode &&
            (excludes(held.share_mode, access) || excludes(share_mode, held.access)))
            return true;
    }
    return false;
}

void hold_share(int fd, const sys::FileStatus& file, DWORD access, DWORD share_mode)
{
    open_files[open_file_count++] = {fd, file.device, file.inode, access, share_mode};
}

void release_share(int fd)
{
    for (int i = 0; i < open_file_count; ++i) {
        if (open_files[i].fd == fd) {
            open_files[i] = open_files[--open_file_count];
            return;
        }
    }
}

bool handle_carries(int fd, DWORD access)
{
    for (int i = 0; i < open_file_count; ++i)
        if (open_files[i].fd == fd)
            return (open_files[i].access & access) != 0;
    return true;
}

int some_open_fd() { return open_file_count > 0 ? open_files[0].fd : -1; }
