// One system call made to fail from outside, at the step where it matters:
// the line or report, the exit code and what is left on disk.
#include <gtest/gtest.h>

#include "case_name.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include "run.h"
#include "terminal.h"

namespace {

const std::string in1000 = pattern(1000);
const std::string head = in1000.substr(0, 500);
const std::string old_output = pattern(2000, 9);

// The file whose system calls are counted and failed: the input, the output,
// standard output on a console or redirected to a file, or the process's own.
// Standard output is a pipe where it is not watched.
enum class Watch { input, output, console, redirected_output, process };

// What the folder holds before the run, and the name the program is given.
enum class Setup { input, input_and_old_output, nothing, long_name };

struct FaultCase {
    const char* name;
    Watch watch;
    // strace's SYSCALLS:error=ERRNO:when=N, or with call=K for the K-th call
    // of the set on that file, counted from the end when negative: which of
    // them a step makes differs between builds and C libraries.
    std::string fault;
    std::string out;  // exactly this, or a report's first words (report(n))
    int code;
    std::optional<std::string> left;  // data.bin.start afterwards
    Setup setup = Setup::input;
};

const std::optional<std::string> absent;  // no data.bin.start afterwards
const std::string size_calls = "fstat,newfstatat,fstat64,statx";
// A name longer than the heap's arena, so that keeping it takes a mapping.
const std::string long_name(past_one_arena, 'n');

const std::vector<FaultCase> fault_cases = {
    {"opening the input", Watch::input, "openat:error=EACCES:when=1", cant_find, 0, absent},
    {"creating the output", Watch::output, "openat:error=ENOSPC:when=1", cant_create, 0, absent},
    {"emptying an existing output", Watch::output, "ftruncate,ftruncate64:error=EIO:when=1", cant_create, 0, old_output,
     Setup::input_and_old_output},
    {"the size query", Watch::input, size_calls + ":error=EIO:call=-1", report(5), 5, ""},
    {"the read", Watch::input, "read:error=EIO:when=1", report(5), 5, ""},
    // An exit status has 8 bits: 256 must not come out as 0, success.
    {"a read error numbered 256", Watch::input, "read:error=256:when=1", report(256), 255, ""},
    // The file ends early, though its size said otherwise.
    {"a short read", Watch::input, "read:retval=0:when=1", report(100), 100, ""},
    {"the write", Watch::output, "write:error=ENOSPC:when=1", report(28), 28, ""},
    {"a write that takes nothing", Watch::output, "write:retval=0:when=1", report(101), 101, ""},
    {"closing the input", Watch::input, "close:error=EIO:when=1", report(5), 5, head},
    {"closing the output", Watch::output, "close:error=EIO:when=1", report(5), 5, head},
    {"the Ok line on a console", Watch::console, "write:error=EIO:when=1", report(5), 5, head},
    {"the Ok line on a console, a write that takes nothing", Watch::console, "write:retval=0:when=1", report(101), 101,
     head},
    {"a refusal line on a console", Watch::console, "write:error=EIO:when=1", report(5), 5, absent, Setup::nothing},
    // The last write-out to a redirected standard output is recorded and never looked at.
    {"the Ok line to a redirected output", Watch::redirected_output, "write:error=ENOSPC:when=1", "", 0, head},
    // So is a report that cannot be written.
    {"the report itself on a console", Watch::console, "write:error=EIO:when=1+", "", 5, head},
    // Standard output is looked at once, and its kind kept.
    {"opening standard output", Watch::console, size_calls + ":error=EBADF:when=1+", "", 103, head},
    // The one before joins the command line, when the command first asks for
    // its parameters: a runtime error at that call, reported like any other.
    {"memory for the command line", Watch::process, "mmap,mmap2:error=ENOMEM:call=-2", report(203), 203, absent,
     Setup::long_name},
    // The last mapping keeps the name for the input's file variable.
    {"memory for the name", Watch::process, "mmap,mmap2:error=ENOMEM:call=-1", report(203), 203, absent,
     Setup::long_name},
    // Sandboxes older than faccessat2 answer it so; the older check stands in.
    {"faccessat2 refused with EPERM", Watch::process, "faccessat2:error=EPERM", ok, 0, head,
     Setup::input_and_old_output},
    {"faccessat2 refused with EINVAL", Watch::process, "faccessat2:error=EINVAL", ok, 0, head},
    {"faccessat2 missing", Watch::process, "faccessat2:error=ENOSYS", ok, 0, head},
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

// The folder set up as the case says, and the program run under strace with
// its path filter on the watched file, its log to log, and the expression.
RunResult run_traced(const FaultCase& c, const Folder& folder, const std::string& log, const std::string& expression)
{
    if (c.setup == Setup::input || c.setup == Setup::input_and_old_output)
        folder.write("data.bin", in1000);
    if (c.setup == Setup::input_and_old_output)
        folder.write("data.bin.start", old_output);
    RunOptions options{.wrapper = {"strace", "-f", "-qq", "-o", log, "-e", expression}};
    // Relative, as the program opens it, and whole, as its descriptor shows it.
    std::string file = c.watch == Watch::input ? "data.bin" : "data.bin.start";
    if (c.watch == Watch::input || c.watch == Watch::output)
        options.wrapper.insert(options.wrapper.end(), {"-P", file, "-P", folder.path(file)});
    if (c.watch == Watch::console || c.watch == Watch::redirected_output) {
        options.output = c.watch == Watch::console ? Output::terminal : Output::file;
        options.wrapper.insert(options.wrapper.end(), {"-P", "{stdout}"});
    }
    return folder.run({c.setup == Setup::long_name ? long_name : "data.bin"}, options);
}

// One call of a strace log, its process and result left off, and every
// address and record masked, as a failed call shows the address where a
// call that returns shows the record: so the logs of two runs compare.
struct LoggedCall {
    std::string name;
    std::string text;
    bool injected;
};

std::vector<LoggedCall> calls_in(const std::string& log)
{
    static const std::regex call_line(R"(^(?:\d+\s+)?(([a-z0-9_]+)\(.*\)) += .*$)", std::regex::multiline);
    static const std::regex address(R"(0x[0-9a-f]+|\{[^{}]*\})");
    std::vector<LoggedCall> calls;
    for (std::sregex_iterator it(log.begin(), log.end(), call_line), end; it != end; ++it)
        calls.push_back(
            {(*it)[2].str(), std::regex_replace((*it)[1].str(), address, "?"), it->str().ends_with("(INJECTED)")});
    return calls;
}

// Which of the calls written as calls[index] is, counted from the first.
long ordinal(const std::vector<LoggedCall>& calls, std::size_t index)
{
    return std::count_if(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(index) + 1,
                         [&](const LoggedCall& call) { return call.text == calls[index].text; });
}

// A fault in strace's own form, and for call=K the call it must hit: as the
// trial run wrote it, and which of the calls written so.
struct Resolved {
    std::string fault;
    std::string call;  // empty: the fault names its call itself
    long ordinal = 0;
};

// The fault with call=K made strace's own: a trial run lists the calls of the
// set on the watched file, and the K-th is failed at its own count.
Resolved resolved(const FaultCase& c)
{
    static const std::regex with_call(R"(([^:]+)(.*):call=(-?\d+))");  // the set, the fault, K
    std::smatch parts;
    if (!std::regex_match(c.fault, parts, with_call))
        return {c.fault};
    Folder trial;
    run_traced(c, trial, trial.path("calls"), "trace=" + parts[1].str());
    std::vector<LoggedCall> calls = calls_in(trial.read("calls"));
    int k = std::stoi(parts[3]);
    auto index = static_cast<std::size_t>(k > 0 ? k - 1 : static_cast<int>(calls.size()) + k);
    if (index >= calls.size())
        return {c.fault};  // no such call: the run fails at nothing, and the case says so
    const std::string& name = calls[index].name;
    auto when = std::count_if(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(index) + 1,
                              [&](const LoggedCall& call) { return call.name == name; });
    return {name + parts[2].str() + ":when=" + std::to_string(when), calls[index].text, ordinal(calls, index)};
}

// Whether the fault hit the call its trial chose, by the run's own log.
bool hits_its_call(const Resolved& fault, const std::string& log)
{
    if (fault.call.empty())
        return true;
    std::vector<LoggedCall> calls = calls_in(log);
    auto injected = std::find_if(calls.begin(), calls.end(), [](const LoggedCall& call) { return call.injected; });
    return injected != calls.end() && injected->text == fault.call &&
           ordinal(calls, static_cast<std::size_t>(injected - calls.begin())) == fault.ordinal;
}

// A case on a console needs a pseudo-terminal to stand for it.
bool runs_here(const FaultCase& c) { return c.watch != Watch::console || no_terminal_reason().empty(); }

RunResult run_case(const FaultCase& c, const Folder& folder)
{
    return run_traced(c, folder, "/dev/null", "inject=" + resolved(c).fault);
}

// The case run in a fresh folder, and run again in another while its fault
// misses the call its trial chose: a call counted over the whole process
// (memory) moves where the sanitizer's runtime maps memory once more or less
// than in the trial. A verdict is only ever given on a run that hit it.
RunResult run_fresh(const FaultCase& c, std::optional<Folder>& folder)
{
    constexpr int most_runs = 5;
    for (int run = 1;; ++run) {
        folder.emplace();
        Resolved fault = resolved(c);
        Folder logs;
        RunResult result = run_traced(c, *folder, logs.path("calls"), "inject=" + fault.fault);
        if (hits_its_call(fault, logs.read("calls")))
            return result;
        if (run == most_runs) {
            ADD_FAILURE() << c.name << ": the fault missed the call its trial chose in " << most_runs << " runs";
            return result;
        }
    }
}

class Fault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(Fault, IsAnsweredAtItsStep)
{
    SKIP_UNLESS_HERE(Where::native_strace);
    const FaultCase& c = GetParam();
    if (!runs_here(c))
        GTEST_SKIP() << no_terminal_reason();
    std::optional<Folder> folder;
    RunResult result = run_fresh(c, folder);

    EXPECT_EQ(result.code, c.code);
    EXPECT_PRED2(output_matches, result.out, c.out);
    if (c.setup == Setup::input || c.setup == Setup::input_and_old_output)
        EXPECT_EQ(folder->read("data.bin"), in1000);
    auto files = folder->snapshot();
    EXPECT_EQ(files.contains("data.bin.start") ? std::optional(files["data.bin.start"]) : std::nullopt, c.left);
}

INSTANTIATE_TEST_SUITE_P(NativeStrace, Fault, ::testing::ValuesIn(fault_cases), CaseName{});

// A file that may not be written, even by root, is refused: by faccessat2,
// and by the older check that stands in where it is refused.
TEST(NativeStraceAsRoot, ImmutableInputIsRefused)
{
    SKIP_UNLESS_HERE(Where::native_strace);
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to make a file immutable";
    Folder folder;
    folder.write("data.bin", in1000);
    if (!output_of({"sh", "-c", "chattr +i \"$1\" 2>&1 || echo refused", "sh", folder.path("data.bin")}).empty())
        GTEST_SKIP() << "no chattr, or a file system with no immutable files";
    RunResult plain = folder.run({"data.bin"});
    RunResult result =
        run_case({.watch = Watch::process, .fault = "faccessat2:error=EPERM", .setup = Setup::nothing}, folder);
    output_of({"chattr", "-i", folder.path("data.bin")});
    EXPECT_EQ(plain.out, cant_find);
    EXPECT_EQ(result.out, cant_find);
    EXPECT_EQ(folder.snapshot().count("data.bin.start"), 0u);
}

// Whether addr2line can read the program's lines: from the program itself,
// or, for an installed one, from the debug file its package installs by build ID.
bool has_debug_information()
{
    if (output_of({"readelf", "-SW", target().program}).find(" .debug_info ") != std::string::npos)
        return true;
    static const std::regex build_id(R"(Build ID: ([0-9a-f]{2})([0-9a-f]+))");
    std::smatch id;
    std::string notes = output_of({"readelf", "-n", target().program});
    return std::regex_search(notes, id, build_id) &&
           std::filesystem::exists("/usr/lib/debug/.build-id/" + id[1].str() + "/" + id[2].str() + ".debug");
}

// Each failing step names its own place in the program, and addr2line takes
// that place back to the command's source, as the README says.
TEST(NativeStrace, EachReportNamesItsOwnStep)
{
    SKIP_UNLESS_HERE(Where::native_strace);
    if (!on_path("addr2line") || !on_path("readelf"))
        GTEST_SKIP() << "needs addr2line and readelf (apt-get install binutils)";
    if (!has_debug_information())
        GTEST_SKIP() << "the program has no debug information, and none is installed for it (headcopy-dbgsym)";
    std::map<std::string, std::string> steps;  // address, case
    for (const FaultCase& c : fault_cases) {
        // A short read or write fails at the read's or the write's own step,
        // and memory runs out wherever it does.
        if (!c.out.starts_with(report_words) || c.code >= 100 || !runs_here(c))
            continue;
        std::optional<Folder> folder;
        std::optional<std::string> address = report_address(run_fresh(c, folder).out);
        ASSERT_TRUE(address) << c.name;
        auto [place, fresh] = steps.emplace(*address, c.name);
        EXPECT_TRUE(fresh) << c.name << " reports the address of " << place->second;
    }

    // The README's recipe: the report's offset plus the address of .text, less one.
    static const std::regex text_section(R"(\s\.text\s+PROGBITS\s+([0-9a-f]+)\s)");
    std::smatch match;
    std::string sections = output_of({"readelf", "-SW", target().program});
    ASSERT_TRUE(std::regex_search(sections, match, text_section)) << sections;
    std::ostringstream address;
    address << "0x" << std::hex
            << std::stoull(match[1].str(), nullptr, 16) + std::stoull(steps.begin()->first, nullptr, 16) - 1;
    std::string where = output_of({"addr2line", "-e", target().program, address.str()});
    EXPECT_NE(where.find("src/command/headcopy.cpp:"), std::string::npos) << where;
    if (!no_terminal_reason().empty())
        GTEST_SKIP() << "the steps on a console were not run: " << no_terminal_reason();
}

// Writes that take part of their block, as a terminal, a slow pipe reader or
// a signal give them, made by a tracer of this test's own: the call-th write
// to standard output, or to a file the program opened, is given count bytes
// to write instead of all of its own.
struct ShortWrite {
    bool to_standard_output;
    int call;
    unsigned long long count;
};

// What the run printed, and how many of the writes the tracer shortened.
struct TracedRun {
    RunResult result;
    std::size_t shortened = 0;
};

std::string why_no_tracer()
{
#if defined(__x86_64__)
    // A 32-bit x86 program runs here natively too, with other registers.
    std::ifstream program(target().program, std::ios::binary);
    unsigned char header[20] = {};
    program.read(reinterpret_cast<char*>(header), sizeof header);
    bool x86_64 = header[4] == 2 && header[18] == 62 && header[19] == 0;  // ELFCLASS64, EM_X86_64
    if (!x86_64)
        return "the tracer knows the system-call registers of x86-64 programs alone";
    return why_not_here(Where::linux_natively);
#else
    return "the tracer knows the system-call registers of x86-64 alone";
#endif
}

TracedRun run_with_short_writes(const Folder& folder, const std::vector<std::string>& args,
                                const std::vector<ShortWrite>& writes)
{
    TracedRun traced;
#if defined(__x86_64__)
    std::vector<std::string> words = {target().program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv(words.size() + 1);  // the last one null
    std::transform(words.begin(), words.end(), argv.begin(), [](std::string& word) { return word.data(); });
    int ends[2];
    if (pipe(ends) != 0)
        return traced;
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_RDWR);
        if (chdir(folder.root().c_str()) != 0 || dup2(ends[1], 1) < 0 || dup2(null, 0) < 0 || dup2(null, 2) < 0)
            _exit(126);
        for (int fd = 3; fd < 1024; ++fd)
            close(fd);
        alarm(30);
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            _exit(125);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(ends[1]);
    int status = 0;
    // Stopped at its exec; from there every system call stops it on entry and on exit.
    waitpid(child, &status, 0);
    ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    int counts[2] = {0, 0};  // writes to files, to standard output
    bool entry = true;
    int pass_on = 0;  // a signal of the program's own
    while (WIFSTOPPED(status)) {
        ptrace(PTRACE_SYSCALL, child, nullptr, pass_on);
        if (waitpid(child, &status, 0) != child || !WIFSTOPPED(status))
            break;
        pass_on = WSTOPSIG(status) == (SIGTRAP | 0x80) ? 0 : WSTOPSIG(status);
        user_regs_struct regs{};
        if (pass_on != 0 || !std::exchange(entry, !entry) || ptrace(PTRACE_GETREGS, child, nullptr, &regs) != 0 ||
            regs.orig_rax != SYS_write || regs.rdi == 2)
            continue;
        bool to_output = regs.rdi == 1;
        int call = ++counts[to_output];
        for (const ShortWrite& w : writes)
            if (w.to_standard_output == to_output && w.call == call) {
                regs.rdx = w.count;
                traced.shortened += ptrace(PTRACE_SETREGS, child, nullptr, &regs) == 0;
            }
    }
    traced.result.out = read_available(ends[0]);
    close(ends[0]);
    traced.result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
#endif
    return traced;
}

// A write that takes part of its block is continued from the byte after the
// last one taken until the block is out, the head into NAME.start and the
// line onto standard output alike, even past a write that takes nothing
// right after one that took bytes.
TEST(OnLinuxNatively, PartialWritesGoOnFromWhereTheyStopped)
{
    if (std::string why = why_no_tracer(); !why.empty())
        GTEST_SKIP() << why;
    const struct {
        const char* name;
        std::vector<ShortWrite> writes;
    } cases[] = {
        {"NAME.start takes 137 of its 500 bytes", {{false, 1, 137}}},
        {"NAME.start takes 137 bytes, then none", {{false, 1, 137}, {false, 2, 0}}},
        {"standard output takes 2 bytes of the line, then none", {{true, 1, 2}, {true, 2, 0}}},
    };
    for (const auto& c : cases) {
        Folder folder;
        folder.write("data.bin", in1000);
        TracedRun run = run_with_short_writes(folder, {"data.bin"}, c.writes);
        if (run.result.code == 125)
            GTEST_SKIP() << "this system lets no process trace another (ptrace)";
        EXPECT_EQ(run.shortened, c.writes.size()) << c.name;
        EXPECT_EQ(run.result.out, ok) << c.name;
        EXPECT_EQ(run.result.code, 0) << c.name;
        EXPECT_EQ(folder.read("data.bin.start"), head) << c.name;
    }
}

}  // namespace
