// The two ways a run ends: halt, and run_error with its report line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "errors.h"

using ExitProc = void (*)();

extern std::int32_t exit_code;
extern const void* error_address;  // null: no runtime error occurred
extern ExitProc exit_proc;
extern std::uint8_t is_console;

[[noreturn]] void halt();
// Ends the run with number as exit code and a report naming address, the
// return point of the call that detected the error. Start-up installs it as
// the run_error_hook of the code below.
[[noreturn]] void run_error(std::int32_t number, const void* address);

// Room for the longest report line: a ten-digit number widens the template.
constexpr std::size_t report_capacity = 40;
// Fills in "Runtime error     at 00000000": number right-aligned to column
// 16, offset in eight upper-case hex digits ending at column 28. Returns the
// length, line end not included.
std::size_t format_report(char (&line)[report_capacity], std::uint32_t number, std::uint32_t offset);
