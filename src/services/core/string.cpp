#include "services/core/string.h"

#include <cstring>

#include "platform/win32.h"
#include "services/core/run_error_hook.h"

namespace {

char* allocate(char* old, std::size_t length, const void* caller)
{
    void* block = old ? HeapReAlloc(GetProcessHeap(), 0, old, length + 1) : HeapAlloc(GetProcessHeap(), 0, length + 1);
    auto* text = static_cast<char*>(block);
    if (!text)
        raise_run_error(err_out_of_memory, caller);
    text[length] = '\0';
    return text;
}

}  // namespace

[[gnu::noinline]] String new_string(std::size_t length)
{
    String string;
    if (length > 0) {
        string.text = allocate(nullptr, length, __builtin_return_address(0));
        string.length = length;
    }
    return string;
}

[[gnu::noinline]] void append_string(String& string, std::string_view tail)
{
    if (tail.empty())
        return;
    std::size_t length = string.length + tail.size();
    string.text = allocate(string.text, length, __builtin_return_address(0));
    std::memcpy(string.text + string.length, tail.data(), tail.size());
    string.length = length;
}

void release_string(String& string)
{
    if (string.text)
        HeapFree(GetProcessHeap(), 0, string.text);
    string.text = nullptr;
    string.length = 0;
}
