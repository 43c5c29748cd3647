// The error numbers of the services' own, beside the operating system's,
// each defined here alone.
#pragma once

#include <cstdint>

constexpr std::int32_t err_short_read = 100;
constexpr std::int32_t err_short_write = 101;
constexpr std::int32_t err_not_assigned = 102;
constexpr std::int32_t err_not_open = 103;
constexpr std::int32_t err_not_open_for_output = 105;
constexpr std::int32_t err_out_of_memory = 203;
