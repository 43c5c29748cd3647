#include "services/core/run_error_hook.h"

#include "platform/win32.h"

RunErrorHook run_error_hook;

void raise_run_error(std::int32_t number, const void* address)
{
    if (run_error_hook)
        run_error_hook(number, address);
    ExitProcess(static_cast<unsigned>(number));
}
