#include "services/process/command_line.h"

#include "platform/win32.h"
#include "separator.h"
#include "services/core/run_error_hook.h"

namespace {

constexpr char quote = '"';
constexpr DWORD program_path_size = 261;

bool is_word_byte(char c) { return static_cast<unsigned char>(c) > 32; }

// Memory refused for the command line (POSIX joins it on the first call) is
// a runtime error at the caller's call, as for every other allocation.
const char* process_command_line(const void* caller)
{
    const char* line = GetCommandLineA();
    if (!line)
        raise_run_error(err_out_of_memory, caller);
    return line;
}

using Splitter = const char* (*)(const char* pos, char* word, std::size_t* length);

// Measured first, gathered second: the name gets exactly its own length.
String gathered(Splitter split, const char* start, std::size_t length)
{
    String word = new_string(length);
    if (length > 0)
        split(start, word.text, &length);
    return word;
}

// The word that starts at pos, up to the separator after it or the line's end.
const char* split_word(const char* pos, char* word, std::size_t* length)
{
    std::size_t n = 0;
    auto keep = [&](char c) {
        if (word)
            word[n] = c;
        ++n;
    };
    while (is_word_byte(*pos)) {
        if (*pos == quote) {
            ++pos;
            while (*pos != '\0' && *pos != quote)
                keep(*pos++);
            if (*pos == quote)
                ++pos;
        } else {
            keep(*pos++);
        }
    }
    *length = n;
    return pos;
}

}  // namespace

const char* split_next_param(const char* pos, char* word, std::size_t* length)
{
    for (;;) {
        while (is_separator(*pos))
            ++pos;
        // An empty pair of quotes before a word is skipped like a separator.
        if (pos[0] == quote && pos[1] == quote)
            pos += 2;
        else
            break;
    }

    return split_word(pos, word, length);
}

// Nothing is skipped before it: empty quote pairs are part of the word, and
// a separator first leaves it empty, a word all the same.
const char* split_program_name(const char* line, char* word, std::size_t* length)
{
    return split_word(line, word, length);
}

std::int32_t count_params(const char* command_line)
{
    std::size_t length;
    const char* pos = split_program_name(command_line, nullptr, &length);
    std::int32_t count = 0;
    for (;;) {
        pos = split_next_param(pos, nullptr, &length);
        if (length == 0)
            return count;
        ++count;
    }
}

String param_from(const char* command_line, std::int32_t index)
{
    std::size_t length;
    const char* pos = split_program_name(command_line, nullptr, &length);
    if (index == 0)
        return gathered(split_program_name, command_line, length);
    const char* start;
    do {
        start = pos;
        pos = split_next_param(pos, nullptr, &length);
    } while (--index != 0 && length != 0);
    return gathered(split_next_param, start, length);
}

[[gnu::noinline]] std::int32_t param_count() { return count_params(process_command_line(__builtin_return_address(0))); }

[[gnu::noinline]] String param_str(std::int32_t index)
{
    if (index != 0)
        return param_from(process_command_line(__builtin_return_address(0)), index);
    String path = new_string(program_path_size - 1);
    DWORD length = GetModuleFileNameA(nullptr, path.text, program_path_size);
    path.length = length < program_path_size ? length : program_path_size - 1;
    path.text[path.length] = '\0';
    return path;
}
