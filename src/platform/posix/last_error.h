// The calling thread's last OS error, as GetLastError reports it: an errno value.
#pragma once

#include <cstdint>

#include "per_thread.h"

extern PER_THREAD std::uint32_t last_error;

// Records a failed system call's result (a negative errno value) and returns
// what the Win32 call returns on failure.
template <typename T>
T record_error(T result, long system_call_result)
{
    last_error = static_cast<std::uint32_t>(-system_call_result);
    return result;
}
