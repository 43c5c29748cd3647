// The 32-bit Arm part of the program's entry: _start.

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
