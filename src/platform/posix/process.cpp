// The process on POSIX: what it sets before main, its end, and where its code starts.
#include "platform/posix/command_line.h"
#include "platform/posix/heap.h"
#include "platform/posix/system.h"
#include "platform/win32.h"

#include <cstring>

namespace {

// A write to a pipe whose reader is gone, or past the file size limit, must
// come back as an error number like any failed write, not end the process.
void prepare_process(int argc, char** argv, char**)
{
    keep_arguments(argc, argv);
    sys::ignore_signal(SIGPIPE);
    sys::ignore_signal(SIGXFSZ);
}

// Runs before main, without a static constructor.
[[gnu::used, gnu::section(".preinit_array")]] void (*const prepare_entry)(int, char**, char**) = prepare_process;

}  // namespace

// The exit status has 8 bits; a code that does not fit must not read as success.
void ExitProcess(unsigned exit_code)
{
    check_heap();
    sys::exit(exit_code > 255 ? 255 : static_cast<int>(exit_code));
}

// A console program has no window: the text goes to standard error.
int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, unsigned)
{
    DWORD written;
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    WriteFile(error, caption, static_cast<DWORD>(std::strlen(caption)), &written, nullptr);
    WriteFile(error, ": ", 2, &written, nullptr);
    WriteFile(error, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    WriteFile(error, "\n", 1, &written, nullptr);
    return 1;
}

// The linker sets this symbol at the start of .text. Hidden, as it is the
// program's own, never one a shared library gives.
extern "C" [[gnu::visibility("hidden")]] const char headcopy_text_start[];

const void* code_section_start() { return headcopy_text_start; }
