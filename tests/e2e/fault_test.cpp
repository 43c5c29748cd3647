// One system call made to fail from outside, at the step where it matters:
// the line or report, the exit code and what is left on disk.
#include <gtest/gtest.h>

#include "case_name.h"

#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
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
    {"emptying an existing output", Watch::output, "ftruncate,ftruncate64:error=EIO:when=1", Output::pipe,
     "can't create 2nd file\r\n", 0, old_output},
    {"the size query", Watch::input, "fstat,newfstatat,fstat64,statx:error=EIO:when=2", Output::pipe, "report    5", 5,
     ""},
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
    // The first look at standard output is the share check's, before the
    // opens; the second is the channel's own open.
    {"opening standard output", Watch::standard_output, "fstat,newfstatat,fstat64,statx:error=EBADF:when=2",
     Output::terminal, "", 103, head},
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
    options.wrapper = {"strace", "-f", "-qq", "-o", "/dev/null"};
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

// Why failures cannot be injected here, or empty when they can.
std::string strace_unavailable()
{
    if (under_runner())
        return "the system calls strace sees are those of wine or the emulator, not the program's";
    if (find_program("strace").empty())
        return "needs strace (apt-get install strace)";
    return "";
}

class Fault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(Fault, IsAnsweredAtItsStep)
{
    if (std::string why = strace_unavailable(); !why.empty())
        GTEST_SKIP() << why;
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
    if (std::string why = strace_unavailable(); !why.empty())
        GTEST_SKIP() << why;
    if (find_program("addr2line").empty() || find_program("readelf").empty())
        GTEST_SKIP() << "needs addr2line and readelf (apt-get install binutils)";
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

    // The README's recipe: the report's offset plus the address of .text, less one.
    static const std::regex text_section(R"(\s\.text\s+PROGBITS\s+([0-9a-f]+)\s)");
    std::smatch match;
    std::string sections = output_of({"readelf", "-SW", HEADCOPY_PATH});
    ASSERT_TRUE(std::regex_search(sections, match, text_section)) << sections;
    unsigned long long call =
        std::stoull(match[1].str(), nullptr, 16) + std::stoull(steps.begin()->first, nullptr, 16) - 1;
    std::ostringstream address;
    address << "0x" << std::hex << call;
    std::string where = output_of({"addr2line", "-e", HEADCOPY_PATH, address.str()});
    EXPECT_NE(where.find("src/command/headcopy.cpp:"), std::string::npos) << where;
}

}  // namespace
