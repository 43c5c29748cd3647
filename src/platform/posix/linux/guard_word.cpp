// The stack guard of the ports whose compiler reads it from a global word;
// the ports that do list this file among their sources (port.cmake).
#include "platform/posix/linux/stack_guard.h"

extern "C" {
std::uintptr_t __stack_chk_guard;
}

void arch::set_stack_guard(std::uintptr_t guard) { __stack_chk_guard = guard; }
