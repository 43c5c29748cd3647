// The process on POSIX: its command line, its own path, its last error, its end.
#include "platform/posix/command_line.h"
#include "platform/posix/heap.h"
#include "platform/posix/last_error.h"
#include "platform/posix/system.h"
#include "platform/win32.h"
// The services' error numbers: memory that runs out here ends the run with theirs.
#include "errors.h"

#include <cstring>

PER_THREAD std::uint32_t last_error;

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
    sys::ignore_signal(SIGPIPE);
    sys::ignore_signal(SIGXFSZ);
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
        // The program's name must stay one word: an empty one would be
        // quoted as "", which the splitter skips, and the first parameter
        // would be taken for it.
        const char* word = i == 0 && *argv[0] == '\0' ? "headcopy" : argv[i];
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
        // Room for the worst case, a blank, two quotes and a slash for each
        // word, costs less than joining twice.
        std::size_t room = sizeof "headcopy";
        for (int i = 0; i < saved_argc; ++i)
            room += std::strlen(saved_argv[i]) + 4;
        command_line = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, room));
        // Win32 has the command line before the program starts; without it
        // there is nothing to run, so this is an out-of-memory end.
        if (!command_line)
            ExitProcess(err_out_of_memory);
        join_command_line(saved_argc, saved_argv, command_line);
    }
    return command_line;
}

DWORD GetModuleFileNameA(HMODULE, LPSTR file_name, DWORD size)
{
    if (size == 0)
        return 0;
    long n = sys::program_path(file_name, size, saved_argc > 0 ? saved_argv[0] : nullptr);
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
// program's own: MIPS's linker fails an assertion over a global one.
extern "C" [[gnu::visibility("hidden")]] const char headcopy_text_start[];

const void* code_section_start() { return headcopy_text_start; }
