// Bytes 1 to 32 separate the words of a command line: the splitter splits on
// them, and the POSIX join quotes a word that holds one, so that it comes
// back whole.
#pragma once

constexpr bool is_separator(char c) { return c >= 1 && c <= 32; }
