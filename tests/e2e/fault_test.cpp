// One system call made to fail from outside, at the step where it matters:
// the line or report, the exit code and what is left on disk.
#include <gtest/gtest.h>

#include "case_name.h"

#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <unistd.h>

#include "run.h"

namespace {

const std::string in1000 = pattern(1000);
const std::string head = in1000.substr(0, 500);
const std::string old_output = pattern(2000, 9);

enum class Watch { input, output, standard_output };

struct FaultCase {
    const char* name;
    Watch watch;        // the file whose system calls are counted and failed
    std::string fault;  // strace's SYSCALL:error=ERRNO:when=N
    Output output;
    std::string line;  // exactly this, or "report NNN" for a report with that number field
    int code;
    std::optional<std::string> left;  // data.bin.start afterwards; none: it must not exist
    bool input_missing = false;
};

const std::vector<FaultCase> fault_cases = {
    {"opening the input", Watch::input, "openat:error=EACCES:when=1", Output::pipe, "can't find 1st file\r\n", 0,
     std::nullopt},
    {"creating the output", Watch::output, "openat:error=ENOSPC:when=1", Output::pipe, "can't create 2nd file\r\n", 0,
     std::nullopt},
    {"emptying an existing output", Watch::output, "ftruncate:error=EIO:when=1", Output::pipe,
     "can't create 2nd file\r\n", 0, old_output},
    {"the size query", Watch::input, "fstat,newfstatat:error=EIO:when=2", Output::pipe, "report    5", 5, ""},
    {"the read", Watch::input, "read:error=EIO:when=1", Output::pipe, "report    5", 5, ""},
    {"the write", Watch::output, "write:error=ENOSPC:when=1", Output::pipe, "report   28", 28, ""},
    {"closing the input", Watch::input, "close:error=EIO:when=1", Output::pipe, "report    5", 5, head},
    {"closing the output", Watch::output, "close:error=EIO:when=1", Output::pipe, "report    5", 5, head},
    {"the Ok line on a console", Watch::standard_output, "write:error=EIO:when=1", Output::terminal, "report    5", 5,
     head},
    {"a refusal line on a console", Watch::standard_output, "write:error=EIO:when=1", Output::terminal, "report    5",
     5, std::nullopt, true},
    // The last write-out to a redirected standard output is recorded and never looked at.
    {"the Ok line to a redirected output", Watch::standard_output, "write:error=ENOSPC:when=1", Output::file, "", 0,
     head},
    // So is a report that cannot be written.
    {"the report itself on a console", Watch::standard_output, "write:error=EIO:when=1+", Output::terminal, "", 5,
     head},
    {"opening standard output", Watch::standard_output, "fstat,newfstatat:error=EBADF:when=1", Output::terminal, "", 103, head},
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

RunResult run_case(const FaultCase& c, const Folder& folder)
{
    if (!c.input_missing)
        folder.write("data.bin", in1000);
    if (c.name == std::string("emptying an existing output"))
        folder.write("data.bin.start", old_output);

    RunOptions options;
    options.output = c.output;
    options.wrapper = {"/usr/bin/strace", "-f", "-qq", "-o", "/dev/null"};
    // Relative, as the program opens it, and whole, as its descriptor shows it.
    for (const char* name : {"data.bin", "data.bin.start"}) {
        if (c.watch == (name == std::string("data.bin") ? Watch::input : Watch::output)) {
            options.wrapper.insert(options.wrapper.end(), {"-P", name, "-P", folder.path(name)});
        }
    }
    if (c.watch == Watch::standard_output)
        options.wrapper.insert(options.wrapper.end(), {"-P", "{stdout}"});
    options.wrapper.push_back("-e");
    options.wrapper.push_back("inject=" + c.fault);
    return folder.run({"data.bin"}, options);
}

// Under wine the counts of system calls belong to wine as much as to the program.
bool have_strace() { return !on_windows && access("/usr/bin/strace", X_OK) == 0; }

class Fault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(Fault, IsAnsweredAtItsStep)
{
    if (!have_strace())
        GTEST_SKIP() << "needs strace, and a Linux program";
    const FaultCase& c = GetParam();
    Folder folder;
    RunResult result = run_case(c, folder);

    EXPECT_EQ(result.code, c.code);
    if (c.line.starts_with("report ")) {
        std::optional<Report> report = parse_report(result.out);
        ASSERT_TRUE(report) << result.out;
        EXPECT_EQ(report->number, c.line.substr(7));
    } else {
        EXPECT_EQ(result.out, c.line);
    }
    if (!c.input_missing)
        EXPECT_EQ(folder.read("data.bin"), in1000);
    auto files = folder.snapshot();
    if (c.left)
        EXPECT_EQ(files["data.bin.start"], *c.left);
    else
        EXPECT_EQ(files.count("data.bin.start"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Headcopy, Fault, ::testing::ValuesIn(fault_cases), CaseName{});

// Each failing step names its own place in the program, and addr2line takes
// that place back to the command's source, as the README says.
TEST(Fault, EachReportNamesItsOwnStep)
{
    if (!have_strace())
        GTEST_SKIP() << "needs strace, and a Linux program";
    std::map<std::string, std::string> steps;  // address, case
    for (const FaultCase& c : fault_cases) {
        if (!c.line.starts_with("report "))
            continue;
        Folder folder;
        std::optional<Report> report = parse_report(run_case(c, folder).out);
        ASSERT_TRUE(report) << c.name;
        auto [place, fresh] = steps.emplace(report->address, c.name);
        EXPECT_TRUE(fresh) << c.name << " reports the address of " << place->second;
    }

    std::string command = "h=" HEADCOPY_PATH "; addr2line -e $h $(printf '0x%x' $((0x$(readelf -SW $h | "
                          "sed -n 's/.* \\.text *PROGBITS *\\([0-9a-f]*\\) .*/\\1/p') + 0x" +
                          steps.begin()->first + " - 1)))";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    char where[512] = {};
    ASSERT_TRUE(fgets(where, sizeof where, pipe)) << command;
    pclose(pipe);
    EXPECT_NE(std::string(where).find("src/command/headcopy.cpp:"), std::string::npos) << where;
}

}  // namespace
