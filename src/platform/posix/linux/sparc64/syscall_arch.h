// A Linux system call on SPARC 64: number in g1, arguments in o0 to o5, the
// result back in o0. The kernel reports a failure by setting the carry of
// the 64-bit condition codes, with the error number positive in o0.
#pragma once

#include <asm/unistd.h>
#include <cstdint>

// The 64-bit kernel has no newfstatat: the large-file status calls, with
// their record, stand in for both (word_size.h).
#define HEADCOPY_LARGE_FILE_STATUS 1

namespace sys {

inline long raw(long number, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0)
{
    register long g1 __asm__("g1") = number;
    register long o0 __asm__("o0") = a;
    register long o1 __asm__("o1") = b;
    register long o2 __asm__("o2") = c;
    register long o3 __asm__("o3") = d;
    register long o4 __asm__("o4") = e;
    register long o5 __asm__("o5") = f;
    __asm__ volatile("ta 0x6d\n\t"
                     "bcs,a,pn %%xcc, 1f\n\t"
                     " sub %%g0, %%o0, %%o0\n"
                     "1:"
                     : "+r"(o0)
                     : "r"(g1), "r"(o1), "r"(o2), "r"(o3), "r"(o4), "r"(o5)
                     : "cc", "memory");
    return o0;
}

}  // namespace sys

namespace sys::port {

inline constexpr bool own_ignore_signal = true;

// rt_sigaction takes the restorer before the mask's size. SIG_IGN and then
// zeros, as on the other processors.
inline long ignore_signal(int signal)
{
    struct {
        long handler, rest[5];
    } ignore = {1, {}};
    return raw(__NR_rt_sigaction, signal, reinterpret_cast<long>(&ignore), 0, 0, sizeof(std::uint64_t));
}

}  // namespace sys::port
