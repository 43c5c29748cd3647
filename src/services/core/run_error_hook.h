// The runtime error as the code below the process services meets it (memory
// refused, an I/O error left for check_io). The process services own the
// report; start-up installs it here, so calls run down like the includes.
#pragma once

#include <cstdint>

#include "errors.h"

// Ends the run with number as exit code and a report naming address.
using RunErrorHook = void (*)(std::int32_t number, const void* address);
extern RunErrorHook run_error_hook;

// Ends the run through the installed hook; before start-up has installed
// one, with the number as exit code and no report, as there is no channel.
[[noreturn]] void raise_run_error(std::int32_t number, const void* address);
