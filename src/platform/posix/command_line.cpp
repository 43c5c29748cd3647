// The process's command line on POSIX: the argument vector joined into the one
// string a Win32 program is given, and the program's own path.
#include "platform/posix/command_line.h"

#include <cstring>

#include "platform/posix/last_error.h"
#include "platform/posix/system.h"
#include "platform/win32.h"
#include "separator.h"

namespace {

int saved_argc;
const char* const* saved_argv;
char* command_line;

std::size_t put(char* out, std::size_t at, char c)
{
    if (out)
        out[at] = c;
    return at + 1;
}

}  // namespace

void keep_arguments(int argc, const char* const* argv)
{
    saved_argc = argc;
    saved_argv = argv;
}

std::size_t join_command_line(int argc, const char* const* argv, char* out)
{
    std::size_t at = 0;
    for (int i = 0; i < argc; ++i) {
        // An empty program name is given a word, so that the line starts
        // with one, as a Win32 program's line does when the system makes it.
        const char* word = i == 0 && *argv[0] == '\0' ? "headcopy" : argv[i];
        bool has_quote = false;
        bool has_separator = false;
        for (const char* p = word; *p; ++p) {
            has_quote |= *p == '"';
            has_separator |= is_separator(*p);
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
        // Joined at the first call, not before the program starts as on
        // Win32: refused memory comes back as null, the heap's error kept,
        // for the caller to report.
        if (!command_line)
            return nullptr;
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
        return record_error(0u, n);
    if (static_cast<DWORD>(n) >= size) {
        file_name[size - 1] = '\0';
        return record_error(size, -ENAMETOOLONG);
    }
    file_name[n] = '\0';
    return static_cast<DWORD>(n);
}
