// The deferred I/O error: operations record a number here instead of failing
// to their caller, who takes it or lets check_io end the run.
#pragma once

#include <cstdint>

#include "errors.h"
#include "per_thread.h"

extern PER_THREAD std::int32_t pending_io_error;

std::int32_t take_io_result();
// Ends the run with the pending number as a runtime error, reported at the
// point just after this call.
void check_io();
void set_io_error(std::int32_t number);
void set_io_error_from_os();
