// How a POSIX argument vector becomes the one command line that Win32
// programs are given.
#pragma once

#include <cstddef>

// Keeps the argument vector the process was started with, for the command
// line and the program's own path; called once, before main.
void keep_arguments(int argc, const char* const* argv);

// Joins the words with blanks into out (when out is not null) and returns the
// length, NUL not counted. A word that holds a separator is put between
// double quotes, so the splitter gives it back as it came. An empty word is
// quoted too, as "", which the splitter skips: it is no parameter. A double
// quote cannot pass the splitter at all: such a word comes out with its quotes
// dropped and a trailing slash, which no file's name ends with, so it names no
// file rather than some other one.
std::size_t join_command_line(int argc, const char* const* argv, char* out);
