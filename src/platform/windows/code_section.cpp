// On Windows the platform is the real API. It does not hand over where the
// program's code section starts, which the report counts its address from;
// this file finds it. (names.cpp holds the other thing the API lacks.)
#include "platform/win32.h"

#include <cstring>

extern "C" IMAGE_DOS_HEADER __ImageBase;

const void* code_section_start()
{
    const auto* image = reinterpret_cast<const unsigned char*>(&__ImageBase);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + __ImageBase.e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
    for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section)
        if (std::memcmp(section->Name, ".text", 6) == 0)
            return image + section->VirtualAddress;
    return image;
}
