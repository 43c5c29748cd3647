/* Times whole runs of several commands, interleaved run by run (A B C A B C
 * ...) so that a busy moment costs every command alike. Prints each command's
 * median wall time per run and, for each other command, the median over the
 * rounds of the first command's time divided by that command's time.
 *
 * usage: timer ROUNDS FOLDER -- NAME CMD ARGS... -- NAME CMD ARGS... */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { max_commands = 8 };

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static double run(char** argv, const char* folder)
{
    double start = now();
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        if (chdir(folder) != 0)
            _exit(126);
        execv(argv[0], argv);
        _exit(127);
    }
    int status;
    waitpid(child, &status, 0);
    double took = now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "%s failed\n", argv[0]);
        exit(1);
    }
    return took;
}

static int by_value(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static double median(double* v, int n)
{
    qsort(v, n, sizeof *v, by_value);
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int main(int argc, char** argv)
{
    if (argc < 5) {
        fprintf(stderr, "usage: timer ROUNDS FOLDER -- NAME CMD ARGS... [-- NAME CMD ARGS...]\n");
        return 2;
    }
    int rounds = atoi(argv[1]);
    const char* folder = argv[2];
    char** commands[max_commands];
    const char* names[max_commands];
    int count = 0;
    for (int i = 3; i < argc && count < max_commands; ++i) {
        if (strcmp(argv[i], "--") == 0 && i + 2 < argc) {
            argv[i] = NULL;
            names[count] = argv[i + 1];
            commands[count++] = &argv[i + 2];
        }
    }

    double* times = calloc((size_t)rounds * count, sizeof *times);
    double* ratios = calloc((size_t)rounds * count, sizeof *ratios);
    for (int c = 0; c < count; ++c)
        run(commands[c], folder); /* warm the page cache */
    for (int r = 0; r < rounds; ++r)
        for (int c = 0; c < count; ++c)
            times[c * rounds + r] = run(commands[c], folder);
    for (int c = 0; c < count; ++c)
        for (int r = 0; r < rounds; ++r)
            ratios[c * rounds + r] = times[r] / times[c * rounds + r];

    for (int c = 0; c < count; ++c) {
        printf("  %-10s median %8.1f us", names[c], median(times + c * rounds, rounds) * 1e6);
        if (c > 0)
            printf("   %s/%s median ratio %.3f", names[0], names[c], median(ratios + c * rounds, rounds));
        printf("\n");
    }
    return 0;
}
