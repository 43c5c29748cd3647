// The numbers a thread keeps for itself: its last OS error and its pending
// I/O error. The program runs one thread, so built without a C library (a C
// runtime, on Windows) they are plain statics: no port needs a thread pointer
// to reach them, and nothing sets up thread-local storage for them.
#pragma once

#if HEADCOPY_FREESTANDING
#define PER_THREAD
#else
#define PER_THREAD thread_local
#endif
