// Win32 drops the dots and blanks that end a part of a path, so "x." and
// "x " would open x: such a name is refused rather than read as another.
#include "platform/win32.h"

DWORD name_refusal(LPCSTR name)
{
    // A name in the \\?\ form is passed to the file system as it stands.
    if (name[0] == '\\' && name[1] == '\\' && name[2] == '?' && name[3] == '\\')
        return 0;
    const char* part = name;
    for (const char* at = name;; ++at) {
        if (*at != '\\' && *at != '/' && *at != '\0')
            continue;
        auto length = at - part;
        bool dots = length == 1 && part[0] == '.';
        dots = dots || (length == 2 && part[0] == '.' && part[1] == '.');
        if (length > 0 && !dots && (at[-1] == '.' || at[-1] == ' '))
            return ERROR_INVALID_NAME;
        if (*at == '\0')
            return 0;
        part = at + 1;
    }
}
