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

// Holds each standard number closed at start with a copy of a descriptor this
// process has open, so that the next open lands above them all; an error
// number if there is no descriptor left for a copy. Released by
// release_closed_standard, which leaves them closed again.
long hold_closed_standard();
void release_closed_standard();
