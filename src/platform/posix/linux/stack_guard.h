// The stack guard the program's entry sets, from the kernel's random bytes
// (AT_RANDOM in the auxiliary vector, which follows the environment).
#pragma once

#include <cstdint>
#include <cstring>
#include <elf.h>

namespace sys {

// The byte at the lowest address is zero, on either byte order: a string
// copy or read that runs up the stack into the guard reaches it first, so it
// can neither write nor leak the whole of the guard. Auxv is ELF's record of
// the processor's word size.
template <typename Auxv>
std::uintptr_t stack_guard(const Auxv* auxv)
{
    std::uintptr_t guard = 0;
    for (; auxv->a_type != AT_NULL; ++auxv)
        if (auxv->a_type == AT_RANDOM)
            memcpy(&guard, reinterpret_cast<const void*>(auxv->a_un.a_val), sizeof guard);
    memset(&guard, 0, 1);
    return guard;
}

}  // namespace sys

// Each port's sources (its port.cmake lists them) define these: the first
// for every port, the second where the guard is read through the thread
// pointer (guard_thread.cpp), to point it at block.
namespace arch {

void set_stack_guard(std::uintptr_t guard);
void set_thread_pointer(std::uintptr_t* block);

}  // namespace arch
