// A Linux system call on 32-bit x86: number in eax, arguments in ebx, ecx,
// edx, esi, edi and ebp, the result back in eax. ebp may be the frame
// pointer, so the sixth argument is pushed first (before esp moves, which an
// operand may count from) and ebp is loaded from the stack and put back.
#pragma once

namespace sys {

inline long raw(long number, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0)
{
    long result;
    __asm__ volatile("pushl %7\n\t"
                     "push %%ebp\n\t"
                     "mov 4(%%esp), %%ebp\n\t"
                     "int $0x80\n\t"
                     "pop %%ebp\n\t"
                     "add $4, %%esp"
                     : "=a"(result)
                     : "a"(number), "b"(a), "c"(b), "d"(c), "S"(d), "D"(e), "g"(f)
                     : "memory");
    return result;
}

}  // namespace sys
