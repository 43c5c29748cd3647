/* The least a successful run can cost on this machine: the system calls
 * headcopy makes, in its order, as strace shows them for a copy onto a new
 * or existing NAME.start (thread pointer, two signals ignored, a look at the
 * three standard handles, each file looked at by name and opened, with its
 * status and access check, an emptying, a size query, one read and one
 * write of 500 bytes, two closes, one line out), with no runtime at all and
 * none of headcopy's tests of what the calls return. Static, no libc. */
#include <asm/prctl.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

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
static long thread_area[8];
static struct {
    void (*handler)(int);
    unsigned long flags;
    void (*restorer)(void);
    unsigned long mask;
} ignore = {SIG_IGN, 0, 0, 0};

/* AT_EACCESS and AT_EMPTY_PATH, as headcopy asks. */
static long may(long fd, long mode) { return sys(SYS_faccessat2, fd, (long)"", mode, 0x200 | 0x1000); }

__attribute__((used, noreturn)) static void floor_main(long* stack)
{
    char* input = (char*)stack[2];
    int n = 0;
    for (const char* p = input; *p && n < 4000; ++p)
        name[n++] = *p;
    for (const char* p = ".start"; *p; ++p)
        name[n++] = *p;
    sys(SYS_arch_prctl, ARCH_SET_FS, (long)thread_area, 0, 0);
    sys(SYS_rt_sigaction, SIGPIPE, (long)&ignore, 0, 8);
    sys(SYS_rt_sigaction, SIGXFSZ, (long)&ignore, 0, 8);
    for (long fd = 0; fd < 3; ++fd)
        if (sys(SYS_fstat, fd, (long)&status, 0, 0) == 0 && S_ISREG(status.st_mode))
            sys(SYS_fcntl, fd, F_GETFL, 0, 0);
    const int flags = O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    sys(SYS_newfstatat, AT_FDCWD, (long)input, (long)&status, 0);
    long in = sys(SYS_openat, AT_FDCWD, (long)input, O_RDONLY | flags, 0);
    sys(SYS_fstat, in, (long)&status, 0, 0);
    may(in, W_OK);
    long out;
    if (sys(SYS_newfstatat, AT_FDCWD, (long)name, (long)&status, 0) == -ENOENT) {
        out = sys(SYS_openat, AT_FDCWD, (long)name, O_WRONLY | O_CREAT | O_EXCL | flags, 0666);
        sys(SYS_fstat, out, (long)&status, 0, 0);
    } else {
        out = sys(SYS_openat, AT_FDCWD, (long)name, O_WRONLY | O_CREAT | flags, 0666);
        sys(SYS_fstat, out, (long)&status, 0, 0);
        may(out, R_OK);
        sys(SYS_ftruncate, out, 0, 0, 0);
    }
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
