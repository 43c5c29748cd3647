// A Linux system call on MIPS, o32 (mips, mipsel) and n64 (mips64el): number
// in v0, arguments in a0 to a3 and then, on o32, at 16 and 20 on the stack,
// on n64 in a4 and a5. The kernel reports a failure by a nonzero a3, with the
// error number positive in v0, and may change the temporaries, at, v1, hi
// and lo. The number goes into v0 just before the call, where a kernel that
// restarts an interrupted call looks for it.
#pragma once

#include <asm/sgidefs.h>
#include <asm/signal.h>
#include <asm/unistd.h>

namespace sys {

inline long raw(long number, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0)
{
    register long v0 __asm__("$2");
    register long a0 __asm__("$4") = a;
    register long a1 __asm__("$5") = b;
    register long a2 __asm__("$6") = c;
    register long a3 __asm__("$7") = d;
#if _MIPS_SIM == _MIPS_SIM_ABI32
    register long t0 __asm__("$8") = e;
    register long t1 __asm__("$9") = f;
    __asm__ volatile("addiu $sp, $sp, -32\n\t"
                     "sw %[e], 16($sp)\n\t"
                     "sw %[f], 20($sp)\n\t"
                     "move $2, %[number]\n\t"
                     "syscall\n\t"
                     "addiu $sp, $sp, 32"
                     : "=&r"(v0), "+r"(a3), [e] "+r"(t0), [f] "+r"(t1)
                     : [number] "r"(number), "r"(a0), "r"(a1), "r"(a2)
                     : "$1", "$3", "$10", "$11", "$12", "$13", "$14", "$15", "$24", "$25", "hi", "lo", "memory");
#else
    register long a4 __asm__("$8") = e;
    register long a5 __asm__("$9") = f;
    __asm__ volatile("move $2, %[number]\n\t"
                     "syscall"
                     : "=&r"(v0), "+r"(a3), "+r"(a4), "+r"(a5)
                     : [number] "r"(number), "r"(a0), "r"(a1), "r"(a2)
                     : "$1", "$3", "$10", "$11", "$12", "$13", "$14", "$15", "$24", "$25", "hi", "lo", "memory");
#endif
    return a3 != 0 ? -v0 : v0;
}

}  // namespace sys

namespace sys::port {

inline constexpr bool own_ignore_signal = true;

// MIPS's action puts the flags first and holds a mask of 128 signals, whose
// size the kernel checks.
inline long ignore_signal(int signal)
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    return raw(__NR_rt_sigaction, signal, reinterpret_cast<long>(&ignore), 0, sizeof ignore.sa_mask);
}

}  // namespace sys::port
