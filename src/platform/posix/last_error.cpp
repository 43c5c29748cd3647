// The calling thread's last OS error, kept where GetLastError reads it.
#include "platform/posix/last_error.h"
#include "platform/win32.h"

PER_THREAD std::uint32_t last_error;

DWORD GetLastError() { return last_error; }
