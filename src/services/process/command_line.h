// The command line, split into parameters by fixed rules: bytes 1 to 32
// separate words, double quotes group, and the quotes themselves vanish.
#pragma once

#include <cstddef>
#include <cstdint>

#include "services/core/string.h"

// Splits the word that starts at or after pos, stores its bytes in word when
// word is not null, and stores its length. Returns where the word ended: at
// the separator after it, or at the end of the line.
const char* split_next_param(const char* pos, char* word, std::size_t* length);

// Splits the program's name, word 0 of line, from the line's first byte,
// as split_next_param splits a word once it starts: a line that starts with
// a separator, or with empty pairs of quotes and then a separator or its
// end, has an empty name, which the parameters follow.
const char* split_program_name(const char* line, char* word, std::size_t* length);

// Parameters after the program's name in command_line.
std::int32_t count_params(const char* command_line);
// Word index of command_line; the empty string past the last one.
String param_from(const char* command_line, std::int32_t index);

std::int32_t param_count();
// Index 0 is the full path of the program's file; 1 and up are the
// parameters of the process's command line.
String param_str(std::int32_t index);
