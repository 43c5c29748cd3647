// The stack guard of the ports whose compiler reads it through the thread
// pointer, from the sixth word of the block it points to (x86-64 at fs:0x28,
// 32-bit x86 at gs:0x14, IBM Z and SPARC 64 at 0x28): a control block that
// begins with its own address, as a thread's does. The port's start_arch.h
// defines arch::set_thread_pointer, then includes this, once.
#pragma once

#include <cstdint>

namespace arch {

alignas(64) inline std::uintptr_t control_block[8];

inline void set_stack_guard(std::uintptr_t guard)
{
    control_block[0] = reinterpret_cast<std::uintptr_t>(control_block);
    control_block[5] = guard;
    set_thread_pointer(control_block);
}

}  // namespace arch
