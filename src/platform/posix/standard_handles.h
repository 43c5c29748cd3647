// The survey of the standard handles: what each is, looked at once before
// the first open, and what it shares as an open handle of this process.
#pragma once

#include "platform/posix/system.h"

constexpr int first_free_fd = 3;

// Looks at the three standard handles, the first time only.
void note_standard_handles();

// Moves a new descriptor off the standard numbers: a standard handle that
// was closed at start stays closed, or a file opened on its number would
// receive what the program writes to standard output.
long off_standard(long fd);
