// The stack guard of the ports whose compiler reads it from a global word
// (AArch64, Arm, RISC-V, MIPS); the others read it through the thread
// pointer (guard_thread.h) or, on POWER, below it.
// Included once, through the port's start_arch.h.
#pragma once

#include <cstdint>

extern "C" {
std::uintptr_t __stack_chk_guard;
}

namespace arch {

inline void set_stack_guard(std::uintptr_t guard) { __stack_chk_guard = guard; }

}  // namespace arch
