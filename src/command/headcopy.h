#pragma once

// Copies the first 500 bytes of the file named by the one parameter into the
// same name with ".start" appended, and says how it went in one line.
[[noreturn]] void headcopy();
