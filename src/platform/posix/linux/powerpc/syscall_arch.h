// A Linux system call on POWER, 32- and 64-bit: number in r0, arguments in
// r3 to r8, the result back in r3. The kernel reports a failure by setting
// cr0's summary-overflow bit, with the error number positive in r3. As the
// ELF ABI lets a called function, it may change r9 to r12, ctr, xer, and the
// condition register's fields but cr2 to cr4; the kernel's notes keep cr1
// and cr5 to cr7 for sc, but nothing is lost by not counting on it.
#pragma once

namespace sys {

inline long raw(long number, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0)
{
    register long r0 __asm__("r0") = number;
    register long r3 __asm__("r3") = a;
    register long r4 __asm__("r4") = b;
    register long r5 __asm__("r5") = c;
    register long r6 __asm__("r6") = d;
    register long r7 __asm__("r7") = e;
    register long r8 __asm__("r8") = f;
    __asm__ volatile("sc\n\t"
                     "bns+ 1f\n\t"
                     "neg %1, %1\n"
                     "1:"
                     : "+r"(r0), "+r"(r3), "+r"(r4), "+r"(r5), "+r"(r6), "+r"(r7), "+r"(r8)
                     :
                     : "r9", "r10", "r11", "r12", "ctr", "xer", "cr0", "cr1", "cr5", "cr6", "cr7", "memory");
    return r3;
}

}  // namespace sys
