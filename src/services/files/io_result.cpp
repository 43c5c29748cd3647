#include "services/files/io_result.h"

#include "platform/win32.h"
#include "services/core/run_error_hook.h"

PER_THREAD std::int32_t pending_io_error;

std::int32_t take_io_result()
{
    std::int32_t number = pending_io_error;
    pending_io_error = 0;
    return number;
}

[[gnu::noinline]] void check_io()
{
    if (pending_io_error != 0)
        raise_run_error(pending_io_error, __builtin_return_address(0));
}

void set_io_error(std::int32_t number) { pending_io_error = number; }

void set_io_error_from_os() { set_io_error(static_cast<std::int32_t>(GetLastError())); }
