// The runtime error as the code below the process services meets it (memory
// refused, an I/O error left for check_io). The process services own the
// report; start-up installs it here, so calls run down like the includes.
#pragma once

#include <cstdint>

#include "errors.h"

// Ends the run with number as exit code and a report naming address.
using RunErrorHook = void (*)(std::int32_t number, const void* address);
extern RunErrorHook run_error_hook;

// Ends the run through the installed hook. Before start-up has installed one
// there is no channel for a report, so the number is the exit code alone.
[[noreturn]] void raise_run_error(std::int32_t number, const void* address);
