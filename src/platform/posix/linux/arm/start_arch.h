// The 32-bit Arm part of the program's entry: _start, the stack guard and
// the division helpers. Included once, by start.cpp.
#pragma once

#include <asm/signal.h>
#include <asm/unistd.h>

#include "platform/posix/linux/guard_word.h"
#include "syscall_arch.h"

// The division helpers call these on a division by zero. The run ends as
// the processor's own fault would end it.
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

#include "division.h"

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
