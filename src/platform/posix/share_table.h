// Win32 keeps a second opener out of a file by the share mode of the handles
// already open on it. POSIX has no such rule, so the handles of this process
// are kept here with what they allow.
#pragma once

#include "platform/posix/system.h"
#include "platform/win32.h"

bool share_table_full();
// Whether a handle already open on file shuts out an open for access that
// shares share_mode, or the open would shut out that handle.
bool shut_out_by_sharing(const sys::FileStatus& file, DWORD access, DWORD share_mode);
void hold_share(int fd, const sys::FileStatus& file, DWORD access, DWORD share_mode);
void release_share(int fd);
// Whether the handle carries access as Win32 gave it; one not in the table does.
bool handle_carries(int fd, DWORD access);
// A descriptor of a handle in the table, or -1 where there is none.
int some_open_fd();
