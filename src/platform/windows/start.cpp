// Process entry for headcopy.exe, built without a C runtime: the constructors
// run, then main, and the run ends with its exit code, as on Linux. Nothing
// else a C runtime does at start is needed: the services take the command
// line, the standard handles and the heap from Windows when they need them,
// and the program has no thread-local variables.
#include <cstddef>

#include "platform/win32.h"

extern "C" {
// The linker's list of constructors: -1, the functions, then 0.
extern void (*const __CTOR_LIST__[])();
}

// main's own name, which 32-bit x86 writes with a leading underscore; every
// main this entry starts is defined with these parameters.
#define HEADCOPY_QUOTE(text) #text
#define HEADCOPY_LABEL(prefix, name) HEADCOPY_QUOTE(prefix) name
int program_main(int argc, char** argv) __asm__(HEADCOPY_LABEL(__USER_LABEL_PREFIX__, "main"));

// g++ calls this at the start of main to run the constructors, which the
// entry has run already.
extern "C" void __main() {}

// The linker is told this name as the entry, the same on every processor.
extern "C" [[noreturn, gnu::used]] void start_process() __asm__("start_process");

void start_process()
{
    // The constructors run from the last in the list to the first, as the
    // linker orders them by priority.
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    for (; count > 0; --count)
        __CTOR_LIST__[count]();
    // The services read the command line from Windows, as Win32 programs do.
    char* no_arguments[] = {nullptr};
    ExitProcess(static_cast<UINT>(program_main(0, no_arguments)));
}
