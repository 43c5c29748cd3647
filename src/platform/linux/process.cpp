// The process on Linux: its command line, its own path, its last error, its end.
#include "platform/linux/command_line.h"
#include "platform/linux/last_error.h"
#include "platform/linux/system_calls.h"
#include "platform/win32.h"

#include <asm-generic/errno.h>
#include <asm/signal.h>
#include <cstring>

thread_local std::uint32_t last_error;

namespace {

int saved_argc;
const char* const* saved_argv;
char* command_line;

// A write to a pipe whose reader is gone, or past the file size limit, must
// come back as an error number like any failed write, not end the process.
void prepare_process(int argc, char** argv, char**)
{
    saved_argc = argc;
    saved_argv = argv;
    linux_call::ignore_signal(SIGPIPE);
    linux_call::ignore_signal(SIGXFSZ);
}

// Runs before main, without a static constructor.
[[gnu::used, gnu::section(".preinit_array")]] void (*const prepare_entry)(int, char**, char**) = prepare_process;

bool is_separator(unsigned char c) { return c >= 1 && c <= 32; }

std::size_t put(char* out, std::size_t at, char c)
{
    if (out)
        out[at] = c;
    return at + 1;
}

}  // namespace

std::size_t join_command_line(int argc, const char* const* argv, char* out)
{
    std::size_t at = 0;
    for (int i = 0; i < argc; ++i) {
        const char* word = argv[i];
        bool has_quote = false;
        bool has_separator = false;
        for (const char* p = word; *p; ++p) {
            has_quote |= *p == '"';
            has_separator |= is_separator(static_cast<unsigned char>(*p));
        }
        bool must_quote = has_quote || has_separator || *word == '\0';

        if (i > 0)
            at = put(out, at, ' ');
        if (must_quote)
            at = put(out, at, '"');
        for (const char* p = word; *p; ++p)
            if (*p != '"')
                at = put(out, at, *p);
        if (has_quote)
            at = put(out, at, '/');
        if (must_quote)
            at = put(out, at, '"');
    }
    if (out)
        out[at] = '\0';
    return at;
}

LPSTR GetCommandLineA()
{
    if (!command_line) {
        std::size_t length = join_command_line(saved_argc, saved_argv, nullptr);
        command_line = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, length + 1));
        // Win32 has the command line before the program starts; without it
        // there is nothing to run, so this is an out-of-memory end.
        if (!command_line)
            ExitProcess(203);
        join_command_line(saved_argc, saved_argv, command_line);
    }
    return command_line;
}

DWORD GetModuleFileNameA(HMODULE, LPSTR file_name, DWORD size)
{
    if (size == 0)
        return 0;
    long n = linux_call::readlink("/proc/self/exe", file_name, size);
    if (n < 0)
        return fail(0u, n);
    if (static_cast<DWORD>(n) >= size) {
        file_name[size - 1] = '\0';
        return fail(size, -ENAMETOOLONG);
    }
    file_name[n] = '\0';
    return static_cast<DWORD>(n);
}

DWORD GetLastError() { return last_error; }

// The exit status has 8 bits; a code that does not fit must not read as success.
void ExitProcess(unsigned exit_code) { linux_call::exit_group(exit_code > 255 ? 255 : static_cast<int>(exit_code)); }

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

// The linker sets this symbol at the start of .text.
extern "C" const char headcopy_text_start[];

const void* code_section_start() { return headcopy_text_start; }
