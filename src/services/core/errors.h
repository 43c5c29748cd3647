// The error numbers of the services' own, beside the operating system's,
// and the end of a run that reports one. The numbers are defined here alone.
#pragma once

#include <cstdint>

constexpr std::int32_t err_short_read = 100;
constexpr std::int32_t err_short_write = 101;
constexpr std::int32_t err_not_assigned = 102;
constexpr std::int32_t err_not_open = 103;
constexpr std::int32_t err_not_open_for_output = 105;
constexpr std::int32_t err_out_of_memory = 203;

// Ends the run with number as exit code and a report naming address, the
// return point of the call that detected the error. The process services
// define it, as the report goes out on their standard output.
[[noreturn]] void run_error(std::int32_t number, const void* address);
