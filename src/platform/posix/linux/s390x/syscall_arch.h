// A Linux system call on IBM Z (s390x): number in r1, arguments in r2 to r7,
// the result back in r2.
#pragma once

#include <asm/unistd.h>
#include <cstddef>
#include <linux/mman.h>

namespace sys {

inline long raw(long number, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0)
{
    register long r1 __asm__("r1") = number;
    register long r2 __asm__("r2") = a;
    register long r3 __asm__("r3") = b;
    register long r4 __asm__("r4") = c;
    register long r5 __asm__("r5") = d;
    register long r6 __asm__("r6") = e;
    register long r7 __asm__("r7") = f;
    __asm__ volatile("svc 0" : "+r"(r2) : "r"(r1), "r"(r3), "r"(r4), "r"(r5), "r"(r6), "r"(r7) : "memory");
    return r2;
}

}  // namespace sys

namespace sys::port {

inline constexpr bool own_map_anonymous = true;

// The 64-bit kernel has only the old mmap, which takes its six arguments as
// a block in memory.
inline long map_anonymous(std::size_t length)
{
    long arguments[6] = {0, static_cast<long>(length), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0};
    return raw(__NR_mmap, reinterpret_cast<long>(arguments));
}

}  // namespace sys::port
