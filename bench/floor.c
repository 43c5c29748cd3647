/* The least a successful run can cost on this machine: the same system calls
 * headcopy needs (two opens, a size query, one read and one write of 500
 * bytes, two closes, one line out), with no runtime at all. Static, no libc. */
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>

static long sys(long n, long a, long b, long c, long d)
{
    long r;
    register long r10 __asm__("r10") = d;
    __asm__ volatile("syscall" : "=a"(r) : "a"(n), "D"(a), "S"(b), "d"(c), "r"(r10) : "rcx", "r11", "memory");
    return r;
}

static char head[500];
static char name[4096];
static struct stat status;

__attribute__((used, noreturn)) static void floor_main(long* stack)
{
    char* input = (char*)stack[2];
    int n = 0;
    for (const char* p = input; *p && n < 4000; ++p)
        name[n++] = *p;
    for (const char* p = ".start"; *p; ++p)
        name[n++] = *p;
    long in = sys(SYS_openat, AT_FDCWD, (long)input, O_RDWR, 0);
    long out = sys(SYS_openat, AT_FDCWD, (long)name, O_RDWR | O_CREAT | O_TRUNC, 0666);
    sys(SYS_fstat, in, (long)&status, 0, 0);
    sys(SYS_read, in, (long)head, sizeof head, 0);
    sys(SYS_write, out, (long)head, sizeof head, 0);
    sys(SYS_close, in, 0, 0, 0);
    sys(SYS_close, out, 0, 0, 0);
    sys(SYS_write, 1, (long)"Ok\r\n", 4, 0);
    sys(SYS_exit_group, 0, 0, 0, 0);
    __builtin_unreachable();
}

__asm__(".globl _start\n_start:\n\tmov %rsp, %rdi\n\tand $-16, %rsp\n\tcall floor_main\n");
