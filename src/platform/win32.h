// What the services ask of the operating system: the Win32 calls they make,
// and two functions of headcopy's own for what Win32 does not hand over. On
// Windows the calls are the real API; elsewhere a small layer of our own
// gives each one the same meaning.
#pragma once

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "platform/posix/win32_api.h"
#endif

// Where the program's code section starts, so a report can name a code
// location that does not depend on where the program was loaded.
const void* code_section_start();

// 0 when the system opens the file of exactly this name, or the error number
// that refuses it: a name the system would read as another file's.
DWORD name_refusal(LPCSTR name);
