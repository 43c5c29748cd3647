// The few system calls the Win32 layer stands on. Each returns what the
// system returns, or a negative error number; one of two variants makes them:
// directly on Linux, with no C library, or through the C library's POSIX calls.
#pragma once

#if HEADCOPY_FREESTANDING
#include "platform/posix/linux/system.h"
#else
#include "platform/posix/libc/system.h"
#endif
