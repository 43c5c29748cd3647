// The 32-bit Arm part of the program's entry: _start, and thread storage
// whose pointer the kernel keeps (set_tls). Included once, by start.cpp.
#pragma once

#include <asm/signal.h>
#include <asm/unistd.h>
#include <cstddef>
#include <cstdint>

#include "platform/posix/linux/thread_area.h"

#include "syscall_arch.h"

// The compiler reads the stack guard from this word on Arm.
extern "C" {
std::uintptr_t __stack_chk_guard;
}

namespace arch {

// The thread pointer points at an 8-byte control block.
inline ThreadArea lay_out_thread(std::uintptr_t begin, std::uintptr_t end, std::size_t size, std::size_t align)
{
    return lay_out_after_control_block(8, begin, end, size, align);
}

inline void enter_thread(std::uintptr_t pointer, std::uintptr_t stack_guard)
{
    __stack_chk_guard = stack_guard;
    sys::raw(__ARM_NR_set_tls, static_cast<long>(pointer));
}

}  // namespace arch

// libgcc's division routines call these on a division by zero; its own ones
// would need the C library's raise. The run ends as the processor's own
// fault would end it.
extern "C" {
[[gnu::used]] int __aeabi_idiv0(int)
{
    sys::raw(__NR_kill, sys::raw(__NR_getpid), SIGFPE);
    return 0;
}
[[gnu::used]] long long __aeabi_ldiv0(long long)
{
    sys::raw(__NR_kill, sys::raw(__NR_getpid), SIGFPE);
    return 0;
}
}

// The kernel leaves the stack as it was at exec in sp, 8-byte aligned; the
// frame pointers and link register are cleared so that a backtrace ends
// here. Naked, so that it is assembled as Arm or Thumb code like the rest.
extern "C" [[gnu::naked, gnu::used]] void _start()
{
    __asm__("mov fp, #0\n\t"
            "mov r7, #0\n\t"
            "mov lr, #0\n\t"
            "mov r0, sp\n\t"
            "bl start_process\n\t"
            "udf #0\n");
}
