// A Win32 handle on POSIX is a file descriptor.
#pragma once

#include <cstdint>

#include "platform/win32.h"

inline int fd_of(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle)); }
inline HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd)); }
