// A Linux system call on 32-bit Arm (EABI): number in r7, arguments in r0 to
// r5, the result back in r0. In Thumb code r7 may be the frame pointer, so
// it is kept in ip across the call rather than named to the compiler.
#pragma once

namespace sys {

inline long raw(long number, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0)
{
    register long r0 __asm__("r0") = a;
    register long r1 __asm__("r1") = b;
    register long r2 __asm__("r2") = c;
    register long r3 __asm__("r3") = d;
    register long r4 __asm__("r4") = e;
    register long r5 __asm__("r5") = f;
    __asm__ volatile("mov ip, r7\n\tmov r7, %[number]\n\tsvc #0\n\tmov r7, ip"
                     : "+r"(r0)
                     : [number] "r"(number), "r"(r1), "r"(r2), "r"(r3), "r"(r4), "r"(r5)
                     : "ip", "memory");
    return r0;
}

}  // namespace sys
