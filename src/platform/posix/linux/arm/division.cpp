// The division helpers the compiler calls on 32-bit Arm, which has no divide
// instruction before ARMv7VE. libgcc's own are Thumb-2 code in an armhf
// toolchain and stop an ARMv5 or ARMv6 core; these are built with the rest.
#include <asm/signal.h>
#include <asm/unistd.h>
#include <cstdint>

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

namespace {

// Shift and subtract, a bit a step: the program divides a handful of times.
inline std::uint64_t divide(std::uint64_t n, std::uint64_t d, std::uint64_t* remainder)
{
    std::uint64_t quotient = 0;
    std::uint64_t rest = 0;
    for (int bit = 63; bit >= 0; --bit) {
        bool carry = rest >> 63 != 0;
        rest = rest << 1 | (n >> bit & 1);
        if (carry || rest >= d) {
            rest -= d;
            quotient |= std::uint64_t{1} << bit;
        }
    }
    *remainder = rest;
    return quotient;
}

// Signed: the quotient rounds toward zero, the remainder takes n's sign.
inline std::int64_t divide(std::int64_t n, std::int64_t d, std::int64_t* remainder)
{
    std::uint64_t un = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    std::uint64_t ud = d < 0 ? 0 - static_cast<std::uint64_t>(d) : static_cast<std::uint64_t>(d);
    std::uint64_t rest;
    std::uint64_t quotient = divide(un, ud, &rest);
    *remainder = static_cast<std::int64_t>(n < 0 ? 0 - rest : rest);
    return static_cast<std::int64_t>((n < 0) != (d < 0) ? 0 - quotient : quotient);
}

// A quotient in r0 and a remainder in r1, as the helpers ending in mod return them.
inline std::uint64_t pair(std::uint32_t quotient, std::uint32_t remainder)
{
    return std::uint64_t{remainder} << 32 | quotient;
}

}  // namespace

extern "C" {
[[gnu::used]] std::uint64_t __aeabi_uidivmod(std::uint32_t n, std::uint32_t d)
{
    if (d == 0)
        return static_cast<std::uint64_t>(__aeabi_idiv0(0));
    std::uint64_t remainder;
    auto quotient = static_cast<std::uint32_t>(divide(std::uint64_t{n}, std::uint64_t{d}, &remainder));
    return pair(quotient, static_cast<std::uint32_t>(remainder));
}

[[gnu::used]] std::uint32_t __aeabi_uidiv(std::uint32_t n, std::uint32_t d)
{
    return static_cast<std::uint32_t>(__aeabi_uidivmod(n, d));
}

[[gnu::used]] std::uint64_t __aeabi_idivmod(std::int32_t n, std::int32_t d)
{
    if (d == 0)
        return static_cast<std::uint64_t>(__aeabi_idiv0(0));
    std::int64_t remainder;
    auto quotient = divide(std::int64_t{n}, std::int64_t{d}, &remainder);
    return pair(static_cast<std::uint32_t>(quotient), static_cast<std::uint32_t>(remainder));
}

[[gnu::used]] std::int32_t __aeabi_idiv(std::int32_t n, std::int32_t d)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(__aeabi_idivmod(n, d)));
}

[[gnu::used]] std::uint64_t headcopy_uldivmod(std::uint64_t n, std::uint64_t d, std::uint64_t* remainder)
{
    if (d == 0)
        return static_cast<std::uint64_t>(__aeabi_ldiv0(0));
    return divide(n, d, remainder);
}

[[gnu::used]] std::int64_t headcopy_ldivmod(std::int64_t n, std::int64_t d, std::int64_t* remainder)
{
    if (d == 0)
        return __aeabi_ldiv0(0);
    return divide(n, d, remainder);
}
}

// The 64-bit ones return the quotient in r0 and r1 and the remainder in r2
// and r3, which no C function can: the remainder goes through the stack.
#define HEADCOPY_ARM_DIVMOD64(name, helper)                                                                            \
    __asm__(".text\n"                                                                                                  \
            ".globl " name "\n"                                                                                        \
            ".type " name ", %function\n"                                                                              \
            ".arm\n" name ":\n"                                                                                        \
            "\tpush {r4, lr}\n"                                                                                        \
            "\tsub sp, sp, #16\n"                                                                                      \
            "\tadd r4, sp, #8\n"                                                                                       \
            "\tstr r4, [sp]\n"                                                                                         \
            "\tbl " helper "\n"                                                                                        \
            "\tldr r2, [sp, #8]\n"                                                                                     \
            "\tldr r3, [sp, #12]\n"                                                                                    \
            "\tadd sp, sp, #16\n"                                                                                      \
            "\tpop {r4, pc}\n")
HEADCOPY_ARM_DIVMOD64("__aeabi_uldivmod", "headcopy_uldivmod");
HEADCOPY_ARM_DIVMOD64("__aeabi_ldivmod", "headcopy_ldivmod");
#undef HEADCOPY_ARM_DIVMOD64
