// Runs the built headcopy as a user would, in a folder of its own.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The Linux heap's arena, whose size the long names below are measured
// from: the build puts its folder on the suite's include path.
#include "heap_arena.h"

// The program under test, as ctest's environment names it: one suite tests
// the programs of every target.
struct Target {
    std::string program;              // HEADCOPY_PROGRAM: its path
    std::vector<std::string> runner;  // HEADCOPY_RUNNER: what runs it here (wine, qemu), blank-separated
    bool windows = false;             // HEADCOPY_WINE: it is headcopy.exe, run under wine
    std::string skip_reason;          // HEADCOPY_SKIP_REASON: why no case can run here
};
const Target& target();
inline bool on_windows() { return target().windows; }

// Where a case can run. Every case is listed on every system; where it
// cannot run, it is skipped with the reason why_not_here gives.
enum class Where {
    anywhere,
    linux_only,      // means something else on Windows, or needs what wine lacks
    linux_natively,  // and the program run with no emulator
    linux_as_root,
    unprivileged,   // on Linux, run as a user who cannot write read-only files
    windows_only,   // Win32's own rules for names
    native_strace,  // strace on the program itself, not on an emulator
};
// Why a case cannot run here, or empty when it can.
std::string why_not_here(Where where);
#define SKIP_UNLESS_HERE(where)                                                                                        \
    if (std::string why_not = why_not_here(where); !why_not.empty())                                                   \
    GTEST_SKIP() << why_not

// pipe_closed: a pipe whose reading end is closed before the run.

enum class Output { pipe, pipe_closed, file, terminal, closed, full_device };

struct RunOptions {
    Output output = Output::pipe;
    bool close_input = false;   // start with standard input closed
    bool close_error = false;   // start with standard error closed
    bool unprivileged = false;  // run as a user who cannot write read-only files
    std::int64_t file_size_limit = -1;
    std::int64_t open_files_limit = -1;
    // What the program is told its name is, or no argument vector at all.
    std::optional<std::string> program_name;
    bool no_arguments = false;
    // Output::file: the file standard output is redirected to, as a shell's
    // > does; empty for one beside the folder.
    std::string output_path;
    // A run that takes longer ends by SIGALRM.
    unsigned timeout_seconds = 30;
    // A command to run headcopy under, such as strace; a word "{stdout}"
    // becomes the path of the terminal or file standard output goes to.
    std::vector<std::string> wrapper;
};

struct RunResult {
    std::string out;  // what reached standard output
    int code;         // the exit code, or 1000 + the signal that ended it
};

// A fresh folder under /tmp, removed with everything in it at destruction.
class Folder {
public:
    Folder();
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    std::string path(const std::string& name) const { return root_ + "/" + name; }
    const std::string& root() const { return root_; }

    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    // Every entry below the folder: a file's bytes, "<dir>", "-> target", or
    // "<special>" for pipes, sockets and devices.
    std::map<std::string, std::string> snapshot() const;

    RunResult run(const std::vector<std::string>& args, const RunOptions& options = {}) const;

private:
    std::string root_;
};

// The eight hexadecimal digits of a "Runtime error NNNN at XXXXXXXX" line, or
// nothing when out is not exactly one such line.
std::optional<std::string> report_address(const std::string& out);
// The words a report line starts with, and a report's first words up to its
// number, as in "Runtime error  27".
const std::string report_words = "Runtime error";
std::string report(int number);
// Whether out is exactly expected or, for expected a report's first words
// (report(n)), one report line that starts with them.
bool output_matches(const std::string& out, const std::string& expected);

// Why no pseudo-terminal can stand for a console here (a build chroot may
// have none), or empty when one can.
std::string no_terminal_reason();

// Whether a program of that name is on PATH.
bool on_path(const std::string& name);
// What a program prints on standard output; it is run without a shell, so
// no word needs quoting.
std::string output_of(const std::vector<std::string>& argv);

// Every line the program prints but the report, as it prints it.
const std::string ok = "Ok\r\n";
const std::string need_one = "Need 1 parameter\r\n";
const std::string cant_find = "can't find 1st file\r\n";
const std::string cant_create = "can't create 2nd file\r\n";
const std::string too_short = "The file must contain at least 500 bytes\r\n";

// Names a page longer than the heap's arena, and a page shorter than two
// (Linux passes no argument of 128 KiB or more): each needs a mapping of its own.
constexpr std::size_t past_one_arena = heap_arena_size + 4096;
constexpr std::size_t nearly_two_arenas = 2 * heap_arena_size - 4096;

// n bytes that differ from position to position, so a shifted copy shows.
std::string pattern(std::size_t n, unsigned seed = 0);
