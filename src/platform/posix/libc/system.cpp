#include "platform/posix/system.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

long resolved(const char* path, char* buffer, std::size_t size)
{
    char whole[PATH_MAX];
    if (!::realpath(path, whole))
        return -errno;
    std::size_t length = std::strlen(whole);
    std::memcpy(buffer, whole, length < size ? length : size);
    return static_cast<long>(length);
}

// argv0 made a whole path: itself when it holds a slash, else the first
// executable of that name in the folders of search_path.
long program_path_from(const char* argv0, const char* search_path, char* buffer, std::size_t size)
{
    if (!argv0 || !*argv0)
        return -ENOENT;
    if (std::strchr(argv0, '/'))
        return resolved(argv0, buffer, size);
    // An empty entry of the search path is the current folder.
    std::size_t name_length = std::strlen(argv0);
    for (const char* from = search_path ? search_path : "";; ++from) {
        const char* end = from + std::strcspn(from, ":");
        auto length = static_cast<std::size_t>(end - from);
        char candidate[PATH_MAX];
        if (length + 2 + name_length < sizeof candidate) {
            std::size_t at = length ? length : 1;
            std::memcpy(candidate, length ? from : ".", at);
            candidate[at++] = '/';
            std::memcpy(candidate + at, argv0, name_length + 1);
            if (::access(candidate, X_OK) == 0)
                return resolved(candidate, buffer, size);
        }
        if (*end == '\0')
            break;
        from = end;
    }
    return -ENOENT;
}

}  // namespace

namespace sys {

long program_path(char* buffer, std::size_t size, const char* argv0)
{
    ssize_t length = ::readlink("/proc/self/exe", buffer, size);
    if (length >= 0)
        return length;
    return program_path_from(argv0, std::getenv("PATH"), buffer, size);
}

}  // namespace sys
