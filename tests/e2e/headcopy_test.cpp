// The built program, run in a folder of its own: what it prints, its exit
// code, and every file in the folder afterwards.
#include <gtest/gtest.h>

#include "case_name.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include "run.h"
#include "terminal.h"

namespace {

namespace fs = std::filesystem;

// The operating system's number for a full device.
const int disk_full = on_windows() ? 112 : 28;

using Snapshot = std::map<std::string, std::string>;

// One entry a case's folder starts with, in the words of Folder::snapshot: a
// file's bytes, "<dir>", "-> target" for a symbolic link, and also "=> name"
// for a hard link to name, "<fifo>" and "<socket>". A mode that is not 0 is
// set once every entry is made, in their order.
struct Entry {
    std::string name;
    std::string what;
    unsigned mode = 0;
};

// A fresh folder that starts with these entries.
struct FolderOf : Folder {
    explicit FolderOf(const std::vector<Entry>& entries)
    {
        for (const Entry& e : entries) {
            std::string name = path(e.name);
            fs::create_directories(fs::path(name).parent_path());
            if (e.what == "<dir>")
                fs::create_directory(name);
            else if (e.what.starts_with("-> "))
                fs::create_symlink(e.what.substr(3), name);
            else if (e.what.starts_with("=> "))
                fs::create_hard_link(path(e.what.substr(3)), name);
            else if (e.what == "<fifo>")
                mkfifo(name.c_str(), 0666);
            else if (e.what == "<socket>") {
                // Bound and closed: the name stays, with no one listening.
                int s = socket(AF_UNIX, SOCK_STREAM, 0);
                sockaddr_un address{.sun_family = AF_UNIX};
                name.copy(address.sun_path, sizeof address.sun_path - 1);
                EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
                close(s);
            } else {
                write(e.name, e.what);
            }
        }
        for (const Entry& e : entries)
            if (e.mode)
                chmod(path(e.name).c_str(), e.mode);
    }
};

// What one run must give: its line, or the first words of a report (report()),
// its exit code, and the entries it adds or changes; all others stay as they were.
struct Expected {
    std::string out;
    int code = 0;
    Snapshot changes;
};

// Runs in a folder already made, or in a FolderOf the entries a case starts with.
void expect_run(const Folder& folder, std::vector<std::string> args, const RunOptions& options,
                const Expected& expected, const std::string& label = "")
{
    // The changes, and every other entry as it was.
    Snapshot after = expected.changes;
    after.merge(folder.snapshot());
    // "{root}" at the start of an argument is the folder.
    for (std::string& arg : args)
        if (arg.starts_with("{root}"))
            arg.replace(0, 6, folder.root());
    RunResult result = folder.run(args, options);
    EXPECT_PRED2(output_matches, result.out, expected.out) << label;
    EXPECT_EQ(result.code, expected.code) << label;
    EXPECT_TRUE(folder.snapshot() == after) << label;
}

struct Case {
    const char* name;
    std::vector<Entry> files;
    std::vector<std::string> args;
    Expected expected;  // every row's exit code is 0
    Where where = Where::anywhere;
};

const std::string in1000 = pattern(1000);
const std::string head = in1000.substr(0, 500);
const Entry input{"data.bin", in1000};
const Snapshot copied{{"data.bin.start", head}};

Case row(const char* name, std::vector<Entry> files, std::vector<std::string> args, std::string out,
         Snapshot changes = {}, Where where = Where::anywhere)
{
    return {name, std::move(files), std::move(args), {std::move(out), 0, std::move(changes)}, where};
}

// A file of 1000 bytes, named as the parameter, copied.
Case copies(const char* name, const std::string& file, Where where = Where::anywhere)
{
    return row(name, {{file, in1000}}, {file}, ok, {{file + ".start", head}}, where);
}

const std::vector<Case> cases = {
    row("exactly 500 bytes are copied whole", {{"d", pattern(500)}}, {"d"}, ok, {{"d.start", pattern(500)}}),
    row("a larger input gives its first 500 bytes", {input}, {"data.bin"}, ok, copied),
    row("499 bytes are refused and leave the output empty", {{"d", pattern(499)}}, {"d"}, too_short, {{"d.start", ""}}),
    row("an existing output is replaced", {input, {"data.bin.start", pattern(2000)}}, {"data.bin"}, ok, copied),
    row("an existing output is emptied when the input is short", {{"d", pattern(499)}, {"d.start", pattern(2000)}},
        {"d"}, too_short, {{"d.start", ""}}),
    row("no parameter", {input}, {}, need_one),
    row("two parameters", {input}, {"data.bin", "data.bin"}, need_one),
    row("an empty parameter is no parameter", {input}, {""}, need_one),
    row("a missing input", {input}, {"missing.bin"}, cant_find),
    row("a folder as input", {{"dir", "<dir>"}}, {"dir"}, cant_find),
    row("a folder where the output goes", {input, {"data.bin.start", "<dir>"}}, {"data.bin"}, cant_create),
    copies("blanks in the name", "my file.bin"),
    copies("a name like an option", "--help"),
    copies("leading and trailing blanks, tabs and high bytes in the name", " \t\xe9t\xe9\x7f ", Where::linux_only),
    copies("a relative path puts the output beside the input", "sub/dir/x"),
    row("an absolute path", {input}, {"{root}/data.bin"}, ok, copied),
    row("the output may not be another name of the input: a symbolic link", {input, {"data.bin.start", "-> data.bin"}},
        {"data.bin"}, cant_create),
    row("the output may not be another name of the input: a hard link", {input, {"data.bin.start", "=> data.bin"}},
        {"data.bin"}, cant_create),
    row("a double quote cannot be passed on, and names no other file", {{"ab", in1000}, {"a\"b", in1000}}, {"a\"b"},
        cant_find, {}, Where::linux_only),
    row("a name too long for the file system is refused, not cut", {{std::string(250, 'n'), in1000}},
        {std::string(250, 'n')}, cant_create),
    // Any open of a pipe would release a writer waiting at its other end.
    row("a pipe as input is refused unopened", {{"fifo", "<fifo>"}}, {"fifo"}, cant_find, {}, Where::linux_only),
    row("a character device as input is too short", {{"zero", "-> /dev/zero"}}, {"zero"}, too_short,
        {{"zero.start", ""}}, Where::linux_only),
    row("a socket as input", {{"sock", "<socket>"}}, {"sock"}, cant_find, {}, Where::linux_only),
    row("a dangling symbolic link as input", {{"link", "-> nowhere"}}, {"link"}, cant_find),
    row("a looping symbolic link as input", {{"loop", "-> loop"}}, {"loop"}, cant_find, {}, Where::linux_only),
    row("a pipe with no reader where the output goes cannot be created", {input, {"data.bin.start", "<fifo>"}},
        {"data.bin"}, cant_create, {}, Where::linux_only),
    // Win32 would drop the dot or blank and open x.
    row("a name ending in a dot is its own file", {{"x", pattern(1000, 3)}, {"x.", in1000}}, {"x."}, ok,
        {{"x..start", head}}, Where::linux_only),
    row("a name ending in a dot names no other file", {{"x", in1000}, {"x.", in1000}}, {"x."}, cant_find, {},
        Where::windows_only),
    row("a folder ending in a blank names no other folder", {{"d/x", in1000}, {"d /x", in1000}}, {"d /x"}, cant_find,
        {}, Where::windows_only),
    copies("a name in scripts beyond a Western code page", "caf\u00e9-\u65e5\u672c.bin"),
    copies("a Cyrillic name", "\u0444\u0430\u0439\u043b.bin"),
    // Byte 1 is a separator too, so a name holding it must be quoted whole.
    copies("byte 1 alone in a name", std::string("c\x01") + "d", Where::linux_only),
    row("a parameter longer than the heap's arena", {input}, {std::string(past_one_arena, 'n')}, cant_find, {},
        Where::linux_only),
    row("a parameter nearly two arenas long", {input}, {std::string(nearly_two_arenas, 'n')}, cant_find, {},
        Where::linux_only),
    row("a dangling symbolic link as NAME.start is followed, making its target", {input, {"data.bin.start", "-> new"}},
        {"data.bin"}, ok, {{"new", head}}, Where::linux_only),
    copies("control bytes in the name", "c\x01\x02\x1b[0m\x1f", Where::linux_only),
    row("a read-only input is refused", {{"data.bin", in1000, 0444}}, {"data.bin"}, cant_find, {}, Where::unprivileged),
    row("a read-only output is refused", {{"data.bin", in1000, 0666}, {"data.bin.start", "keep", 0444}}, {"data.bin"},
        cant_create, {}, Where::unprivileged),
    row("an unwritable folder is refused", {{"ro/data.bin", in1000, 0666}, {"ro", "<dir>", 0555}}, {"ro/data.bin"},
        cant_create, {}, Where::unprivileged),
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Outcome : public ::testing::TestWithParam<Case> {};

// Each row with a pipe as standard output, and on Linux with a terminal,
// which gets every line as it ends and so sees a write that fails after it.
TEST_P(Outcome, LineExitCodeAndFiles)
{
    const Case& c = GetParam();
    SKIP_UNLESS_HERE(c.where);
    for (Output output : on_windows() ? std::vector{Output::pipe} : std::vector{Output::pipe, Output::terminal}) {
        if (output == Output::terminal && !no_terminal_reason().empty())
            GTEST_SKIP() << "run with a pipe, not with a terminal: " << no_terminal_reason();
        expect_run(FolderOf(c.files), c.args, {.output = output, .unprivileged = c.where == Where::unprivileged},
                   c.expected, output == Output::pipe ? "a pipe" : "a terminal");
    }
}

INSTANTIATE_TEST_SUITE_P(Headcopy, Outcome, ::testing::ValuesIn(cases), CaseName{});

TEST(Headcopy, LineEndsAndBytesForEachKindOfStandardOutput)
{
    // Under wine a terminal is wine's console, not the program's plain handle.
    const std::pair<Output, const char*> outputs[] = {
        {Output::pipe, "a pipe"}, {Output::file, "a file"}, {Output::terminal, "a terminal"}};
    for (auto [output, name] : outputs) {
        if (on_windows() && output == Output::terminal)
            continue;
        if (output == Output::terminal && !no_terminal_reason().empty())
            GTEST_SKIP() << "run with a pipe and a file, not with a terminal: " << no_terminal_reason();
        expect_run(FolderOf({input}), {"data.bin"}, {.output = output}, {ok, 0, copied}, name);
        expect_run(FolderOf({input}), {}, {.output = output}, {need_one}, name);
    }
}

// Paths longer than the 256 and 259 characters a name once had room for keep
// their whole suffix.
TEST(OnLinux, LongNamesAreNeverCut)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    for (std::size_t length : {253, 254, 255, 256, 259, 300, 1000}) {
        std::string name;
        while (name.size() + 100 < length)
            name += std::string(99, 'd') + "/";
        name += std::string(length - name.size(), 'f');
        ASSERT_EQ(name.size(), length);
        expect_run(FolderOf({{name, in1000}}), {name}, {}, {ok, 0, {{name + ".start", head}}}, std::to_string(length));
    }
}

// Sizes past 2 and 4 GiB, which a 32-bit size would turn negative or small,
// and which a 32-bit system's plain file calls refuse to open or measure.
TEST(Headcopy, LargeInputsAreSizedWhole)
{
    for (std::uint64_t size : {1ull << 31, 3ull << 30, (1ull << 32) + 100, 6ull << 30}) {
        FolderOf folder({input});
        fs::resize_file(folder.path("data.bin"), size);
        EXPECT_EQ(folder.run({"data.bin"}).out, ok) << size;
        EXPECT_EQ(folder.read("data.bin.start"), head) << size;
    }
}

// A standard handle closed at start must not let a file open on its number.
// A standard output open for reading alone fails its write as the system
// fails it (EBADF), with standard input a file read-only beside it.
TEST(OnLinux, ClosedStandardHandlesNeverRedirectOutputIntoFiles)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    const RunOptions read_only_output{.wrapper = {"sh", "-c", "exec \"$@\" <d 1</dev/null", "sh"}};
    const struct {
        RunOptions options;
        std::size_t size;
        int code;
    } rows[] = {
        {{.output = Output::closed}, 499, 103},
        {{.output = Output::closed, .close_input = true}, 499, 103},
        {{.output = Output::closed, .close_input = true}, 1000, 103},
        {{.output = Output::closed}, 1000, 103},
        {read_only_output, 499, 9},
        {read_only_output, 1000, 9},
    };
    for (const auto& row : rows)
        expect_run(FolderOf({{"d", in1000.substr(0, row.size)}}), {"d"}, row.options,
                   {"", row.code, {{"d.start", row.size == 1000 ? head : ""}}}, std::to_string(row.code));
}

// The line goes out when the run ends; a reader that has gone by then costs
// the line, which is recorded and never looked at, and never the process.
TEST(Headcopy, PipeWhoseReaderHasGone)
{
    expect_run(FolderOf({input}), {"data.bin"}, {.output = Output::pipe_closed}, {"", 0, copied});
}

// "Ok" means that a reader or a device took the 500 bytes, and no run waits
// for one to do so.
TEST(OnLinux, PipesAndTerminalsAsOutputNeverWait)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    for (bool full : {false, true}) {
        FolderOf folder({input, {"data.bin.start", "<fifo>"}});
        int reader = open(folder.path("data.bin.start").c_str(), O_RDONLY | O_NONBLOCK);
        int writer = open(folder.path("data.bin.start").c_str(), O_WRONLY | O_NONBLOCK);
        // Filled to the last byte: a whole block while one fits, else a single byte.
        std::string block(4096, 'x');
        while (full && (write(writer, block.data(), block.size()) > 0 || write(writer, block.data(), 1) > 0)) {
        }
        const char* name = full ? "a full pipe" : "a pipe with a reader and room";
        expect_run(folder, {"data.bin"}, {.timeout_seconds = 10}, {full ? report(11) : ok, full ? 11 : 0}, name);
        if (!full)
            EXPECT_EQ(read_available(reader), head) << name;
        close(writer);
        close(reader);
    }
    if (!no_terminal_reason().empty())
        GTEST_SKIP() << "pipes were tried, a terminal whose output is stopped not: " << no_terminal_reason();
    Terminal terminal = open_raw_terminal();
    FolderOf folder({input, {"data.bin.start", "-> " + std::string(ptsname(terminal.leader))}});
    tcflow(terminal.follower, TCOOFF);
    expect_run(folder, {"data.bin"}, {.timeout_seconds = 10}, {report(11), 11}, "a terminal whose output is stopped");
    tcflow(terminal.follower, TCOON);
    close(terminal.follower);
    close(terminal.leader);
}

// Word 0 of the command line is the program's name, whatever the name is.
TEST(OnLinuxNatively, ProgramNameNeverTakesAParameter)
{
    SKIP_UNLESS_HERE(Where::linux_natively);
    struct Run {
        std::optional<std::string> name;  // none: no argument vector at all
        std::vector<std::string> args;
        std::string out;
    };
    std::vector<Run> runs = {
        {"", {"d", "g"}, need_one},   {"", {"d"}, ok},
        {"\"\"", {"d"}, ok},          {" ", {"d"}, ok},
        {std::nullopt, {}, need_one}, {std::string(100000, 'p'), {"d"}, ok},
    };
    // Every length about the end of the heap's arena, where the names cut
    // after the command line leave it, and one that grows must move out: an
    // 11-byte name grows into another 16-byte slot when ".start" is added.
    for (std::size_t length = heap_arena_size - 196; length <= heap_arena_size + 4; ++length)
        runs.push_back({std::string(length, 'p'), {"eleven.byte"}, ok});
    for (const Run& r : runs) {
        // An "Ok" run copies the head of its one parameter, and nothing else.
        Snapshot copy = r.out == ok ? Snapshot{{r.args[0] + ".start", head}} : Snapshot{};
        std::string which = r.name ? "a name of " + std::to_string(r.name->size()) + " bytes" : "no argument vector";
        expect_run(FolderOf({{"d", in1000}, {"g", in1000}, {"eleven.byte", in1000}}), r.args,
                   {.program_name = r.name, .no_arguments = !r.name}, {r.out, 0, copy}, which);
    }
}

// A refused create leaves nothing, however the file would be made: as
// NAME.start, or through a dangling link, beside it or in a folder below; a
// file that was there before is left exactly as it was. Standard input or
// error closed and room for one more descriptor: the output would land on
// the closed number and could not be moved off it.
TEST(OnLinux, RefusedCreateLeavesNothingBehind)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    const std::vector<std::vector<Entry>> folders = {
        {input},
        {input, {"data.bin.start", "keep"}},
        {input, {"data.bin.start", "-> made-by-link"}},
        {input, {"sub", "<dir>"}, {"data.bin.start", "-> sub/made-by-link"}},
    };
    for (const std::vector<Entry>& files : folders)
        for (bool close_input : {true, false})
            expect_run(FolderOf(files), {"data.bin"},
                       {.close_input = close_input, .close_error = !close_input, .open_files_limit = 4}, {cant_create},
                       files.back().what + (close_input ? ", input closed" : ", error closed"));
}

// Whatever descriptors a run has, it copies or leaves the folder as it was:
// every limit from 4, the fewest that let a run hold its input and reach the
// create, to 7, with no standard handle closed or any one of them. (With 3 a
// dynamic loader or a sanitizer's runtime may not even start the program.)
// No file is made to be removed again by name: not through links whose text,
// joined, is longer than any name, nor in a folder where files can be made
// but not removed (append-only).
TEST(OnLinux, EveryDescriptorLimitCopiesOrLeavesNothing)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    std::string here;
    for (int i = 0; i < 1100; ++i)
        here += "./";
    const struct {
        std::string made;  // the file a copy makes
        std::vector<Entry> links;
        bool append_only = false;  // the made file's folder
    } rows[] = {
        {"data.bin.start", {}},
        {"made-by-link", {{"data.bin.start", "-> made-by-link"}}},
        {"sub/made-by-link", {{"data.bin.start", "-> sub/made-by-link"}}},
        {"sub/made-by-link", {{"sub/l2", "-> " + here + "made-by-link"}, {"data.bin.start", "-> sub/" + here + "l2"}}},
        {"sub/made-by-link", {{"data.bin.start", "-> sub/made-by-link"}}, true},
    };
    std::string skipped;
    enum Closed { none, input_handle, output_handle, error_handle };
    for (const auto& row : rows)
        for (Closed closed : {none, input_handle, output_handle, error_handle})
            for (int limit = 4; limit <= 7; ++limit) {
                std::vector<Entry> entries = {input, {"sub", "<dir>"}};
                entries.insert(entries.end(), row.links.begin(), row.links.end());
                FolderOf folder(entries);
                if (row.append_only &&
                    (geteuid() != 0 ||
                     !output_of({"sh", "-c", "chattr +a \"$1\" 2>&1 || echo refused", "sh", folder.path("sub")})
                          .empty())) {
                    skipped = "the append-only folder needs root and a file system that takes chattr +a";
                    continue;
                }
                Snapshot before = folder.snapshot();
                Snapshot copy = before;
                copy[row.made] = head;
                RunResult result =
                    folder.run({"data.bin"}, {.output = closed == output_handle ? Output::closed : Output::pipe,
                                              .close_input = closed == input_handle,
                                              .close_error = closed == error_handle,
                                              .open_files_limit = limit});
                Snapshot after = folder.snapshot();
                if (row.append_only)
                    output_of({"chattr", "-a", folder.path("sub")});
                const char* closed_names[] = {"none closed", "input closed", "output closed", "error closed"};
                std::string label = row.links.empty() ? row.made : row.links.back().what.substr(0, 40);
                label += std::string(row.append_only ? ", append-only, " : ", ") + closed_names[closed] + ", limit " +
                         std::to_string(limit) + ": " + result.out;
                EXPECT_TRUE(after == before || after == copy) << label;
                if (result.out == ok)
                    EXPECT_TRUE(after == copy) << label;
                else if (!result.out.empty())
                    EXPECT_TRUE(after == before) << label;
            }
    if (!skipped.empty())
        GTEST_SKIP() << "the other rows ran; " << skipped;
}

// A file that the run made is its own to write, even where the umask leaves
// it unreadable, and through a dangling link as without one.
TEST(OnLinux, AFileTheRunMadeIsItsOwn)
{
    SKIP_UNLESS_HERE(Where::unprivileged);
    for (const char* made : {"data.bin.start", "new"}) {
        FolderOf folder({{"data.bin", in1000, 0666}});
        if (made == std::string("new"))
            fs::create_symlink("new", folder.path("data.bin.start"));
        // Unprivileged, since root may read any file.
        RunOptions options{.unprivileged = true, .wrapper = {"sh", "-c", "umask 0466 && exec \"$@\"", "sh"}};
        EXPECT_EQ(folder.run({"data.bin"}, options).out, ok) << made;
        chmod(folder.path(made).c_str(), 0600);
        EXPECT_EQ(folder.read(made), head) << made;
    }
}

// Standard output redirected onto the output file is an open handle on it:
// the create is refused, as on Windows, and the copy is never overwritten by
// the line. Under wine the handle is a Unix descriptor with no share mode.
TEST(OnLinux, StandardOutputOntoTheOutputIsRefused)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    FolderOf folder({input});
    expect_run(folder, {"data.bin"}, {.output = Output::file, .output_path = folder.path("data.bin.start")},
               {cant_create, 0, {{"data.bin.start", cant_create}}});
}

TEST(OnLinux, SixteenRunsAtOnceOnOneInput)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    FolderOf folder({input});
    std::vector<std::future<RunResult>> runs(16);
    for (auto& run : runs)
        run = std::async(std::launch::async, [&] { return folder.run({"data.bin"}); });
    for (auto& run : runs) {
        RunResult result = run.get();
        EXPECT_EQ(result.out, ok);
        EXPECT_EQ(result.code, 0);
    }
    EXPECT_EQ(folder.snapshot(), (Snapshot{{"data.bin", in1000}, {"data.bin.start", head}}));
}

// A soak test: it runs only in the soak preset.
TEST(Soak, TenThousandRunsInARow)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    Folder folder;
    constexpr int runs = 10000;
    for (int i = 0; i < runs; ++i)
        folder.write(std::to_string(i), pattern(500 + i % 700, i));
    int failures = 0;
    for (int i = 0; i < runs && failures < 5; ++i) {
        std::string name = std::to_string(i);
        RunResult result = folder.run({name});
        bool right = result.out == ok && result.code == 0 &&
                     folder.read(name + ".start") == pattern(500 + i % 700, i).substr(0, 500);
        EXPECT_TRUE(right) << "run " << i << ": " << result.out;
        failures += !right;
    }
    EXPECT_EQ(folder.snapshot().size(), 2u * runs);
}

TEST(Headcopy, UnwritableOkLineEndsInARuntimeError)
{
    expect_run(FolderOf({input}), {"data.bin"}, {.output = Output::full_device}, {"", disk_full, copied});
}

TEST(OnLinux, FailedWriteReportsTheOsNumber)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    for (Output output : {Output::pipe, Output::file})
        expect_run(FolderOf({input}), {"data.bin"}, {.output = output, .file_size_limit = 100},
                   {report(27), 27, {{"data.bin.start", head.substr(0, 100)}}});
}

// The output is a full device: the write fails, and the report says so.
TEST(Headcopy, FailedWriteOfTheHeadIsReported)
{
    expect_run(FolderOf({input, {"data.bin.start", "-> /dev/full"}}), {"data.bin"}, {}, {report(disk_full), disk_full});
}

// Lets a peer waiting in its open on a pipe go, by a moment's open of the other end.
void release_peer(const std::string& path, int mode)
{
    close(open(path.c_str(), (mode == O_RDONLY ? O_WRONLY : O_RDONLY) | O_NONBLOCK));
}

// A peer that waits in open on a pipe, in a thread of this test: ready once
// the run released it, with what it read if it opened for reading. None,
// and the test failed, if it is not seen in its open within 10 seconds.
std::optional<std::future<std::string>> waiting_peer(const std::string& path, int mode)
{
    std::atomic<pid_t> tid{0};
    std::future<std::string> peer = std::async(std::launch::async, [&tid, path, mode] {
        tid = static_cast<pid_t>(syscall(SYS_gettid));
        int fd = open(path.c_str(), mode);
        // A blocking read waits for the run to close its end.
        std::string received = mode == O_RDONLY ? read_available(fd) : "";
        close(fd);
        return received;
    });
    // Only a peer already in its open shows whether the run disturbs it.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (long call = -1; call != SYS_openat && call != SYS_open; std::this_thread::yield()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "a peer's open of " << path << " never showed in /proc/self/task/" << tid << "/syscall";
            while (peer.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
                release_peer(path, mode);
            return std::nullopt;
        }
        std::ifstream("/proc/self/task/" + std::to_string(tid) + "/syscall") >> call;
    }
    return peer;
}

// A reader or writer waiting on a pipe gets exactly the 500 bytes or is left
// waiting, untouched: nothing opens a pipe for reading that it does not read.
TEST(OnLinux, PeersWaitingOnAPipeAreNeverDisturbed)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    struct {
        const char* name;
        const char* pipe;
        int peer;  // the peer's open
        std::string line;
        int runs;
    } cases[] = {
        {"a reader waiting on NAME.start", "data.bin.start", O_RDONLY, ok, 50},
        {"a writer waiting on NAME.start", "data.bin.start", O_WRONLY, cant_create, 3},
        {"a writer waiting on the input", "data.bin", O_WRONLY, cant_find, 3},
    };
    for (const auto& c : cases) {
        FolderOf folder({Entry{c.pipe, "<fifo>"}});
        if (c.pipe != std::string("data.bin"))
            folder.write("data.bin", in1000);
        int wrong = 0;
        for (int run = 0; run < c.runs && wrong < 3; ++run) {
            std::optional<std::future<std::string>> peer = waiting_peer(folder.path(c.pipe), c.peer);
            if (!peer)
                return;
            RunResult result = folder.run({"data.bin"});
            bool released = peer->wait_for(std::chrono::seconds(0)) == std::future_status::ready;
            if (!released)
                release_peer(folder.path(c.pipe), c.peer);
            bool right =
                result.out == c.line && result.code == 0 && (c.peer == O_RDONLY ? peer->get() == head : !released);
            EXPECT_TRUE(right) << c.name << ", run " << run << ": " << result.out;
            wrong += !right;
        }
    }
}

// A pipe that is one of its own standard handles would make headcopy its
// own reader or writer.
TEST(OnLinux, OwnStandardPipeIsNoOutput)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    expect_run(FolderOf({input, {"data.bin.start", "-> /dev/stdin"}}), {"data.bin"},
               {.wrapper = {"sh", "-c", ": | \"$@\"", "sh"}}, {cant_create});
}

// A shell's standard input on the input or on NAME.start only reads, and
// shares both reading and writing: neither open is refused.
TEST(OnLinux, StandardInputOnEitherFile)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    for (std::string file : {"data.bin", "data.bin.start"})
        expect_run(FolderOf({input, {"data.bin.start", "old"}}), {"data.bin"},
                   {.wrapper = {"sh", "-c", "exec \"$@\" <" + file, "sh"}}, {ok, 0, copied}, file);
}

// The input is only read, so a running program's file, which no one may
// open for writing, is copied: here the program's own, while it runs.
TEST(OnLinuxNatively, ARunningProgramsFileIsCopied)
{
    SKIP_UNLESS_HERE(Where::linux_natively);
    FolderOf folder({{"self", "-> " + target().program}});
    expect_run(folder, {"self"}, {}, {ok, 0, {{"self.start", folder.read("self").substr(0, 500)}}});
}

// A file server's lease is waited out, as every reader waits it out: the
// holder lets go when the kernel tells it, and the copy is made. A lease on
// the input that NAME.start leads to is left alone: nothing opens the input
// for writing to refuse it.
TEST(OnLinux, LeasesAreWaitedOut)
{
    SKIP_UNLESS_HERE(Where::linux_only);
    const struct {
        const char* file;
        std::string start;  // what data.bin.start is
        std::string line;
        int lease;
        bool broken;
    } cases[] = {
        {"data.bin", "old", ok, F_WRLCK, true},
        {"data.bin.start", "old", ok, F_RDLCK, true},
        {"data.bin", "-> data.bin", cant_create, F_RDLCK, false},
        {"data.bin", "=> data.bin", cant_create, F_RDLCK, false},
    };
    for (const auto& c : cases) {
        FolderOf folder({input, {"data.bin.start", c.start}});
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGIO);
        sigaddset(&signals, SIGUSR1);
        pid_t holder = fork();
        if (holder == 0) {
            // A write lease needs the only open of the file, a read lease
            // no open for writing: the holder's own is for reading. It stops
            // once it holds the lease, or exits with the number of the error;
            // then it exits 1 if the kernel broke the lease (SIGIO), 0 if the
            // test ended it (SIGUSR1).
            sigprocmask(SIG_BLOCK, &signals, nullptr);
            int fd = open(folder.path(c.file).c_str(), O_RDONLY);
            if (fcntl(fd, F_SETLEASE, c.lease) != 0)
                _exit(errno);
            kill(getpid(), SIGSTOP);
            int signal = 0;
            sigwait(&signals, &signal);
            fcntl(fd, F_SETLEASE, F_UNLCK);
            _exit(signal == SIGIO);
        }
        int status = 0;
        EXPECT_EQ(waitpid(holder, &status, WUNTRACED), holder);
        if (!WIFSTOPPED(status))
            GTEST_SKIP() << "leases are refused here (" << std::strerror(WEXITSTATUS(status))
                         << "), as on some file systems";
        kill(holder, SIGCONT);
        // The kernel would break the lease itself after lease-break-time.
        RunResult result = folder.run({"data.bin"}, {.timeout_seconds = 10});
        kill(holder, SIGUSR1);
        waitpid(holder, &status, 0);
        EXPECT_EQ(result.out, c.line) << c.file << ", " << c.start;
        EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 1, c.broken) << c.file << ", " << c.start;
        EXPECT_EQ(folder.read("data.bin"), in1000) << c.file << ", " << c.start;
        if (c.line == ok)
            EXPECT_EQ(folder.read("data.bin.start"), head) << c.file;
    }
}

// The system says who may write: root may write a file whose mode forbids it.
TEST(OnLinuxAsRoot, ReadOnlyInputIsCopied)
{
    SKIP_UNLESS_HERE(Where::linux_as_root);
    expect_run(FolderOf({{"data.bin", in1000, 0444}}), {"data.bin"}, {}, {ok, 0, copied});
}

// A block device's size is its own, not its node's: its head is copied.
TEST(OnLinuxAsRoot, BlockDeviceAsInput)
{
    SKIP_UNLESS_HERE(Where::linux_as_root);
    const std::string image = pattern(std::size_t{64} * 1024);
    FolderOf folder({{"image", image}});
    std::string device = output_of({"losetup", "--find", "--show", folder.path("image")});
    device.erase(device.find_last_not_of('\n') + 1);
    if (device.empty())
        GTEST_SKIP() << "losetup gives no loop device here";
    fs::create_symlink(device, folder.path("disk"));
    expect_run(folder, {"disk"}, {}, {ok, 0, {{"disk.start", image.substr(0, 500)}}});
    output_of({"losetup", "--detach", device});
}

// With fs.protected_regular, a create-open of another user's file in a
// sticky world-writable folder is refused, to root as well: the shell's >
// is, and so is the output.
TEST(OnLinuxAsRoot, AnotherUsersFileInAStickyFolderIsLeftAlone)
{
    SKIP_UNLESS_HERE(Where::linux_as_root);
    std::ifstream setting("/proc/sys/fs/protected_regular");
    int protection = 0;
    if (!(setting >> protection) || protection == 0)
        GTEST_SKIP() << "fs.protected_regular is off here (sysctl -w fs.protected_regular=1 turns it on)";
    FolderOf folder({{"tmp", "<dir>", 01777}, {"tmp/d", in1000}, {"tmp/d.start", "theirs", 0666}});
    ASSERT_EQ(chown(folder.path("tmp/d.start").c_str(), 65534, 65534), 0);
    expect_run(folder, {"tmp/d"}, {}, {cant_create});
}

// On an overlay, an open for writing copies the whole file up: the input,
// opened only for reading, stays in the lower layer, and so it does when
// NAME.start is another name of it.
TEST(OnLinuxAsRoot, InputOnAnOverlayIsNotCopiedUp)
{
    SKIP_UNLESS_HERE(Where::linux_as_root);
    const std::string big = pattern(1 << 20);
    // The upper layer gets the new output alone, or nothing.
    const std::pair<std::vector<Entry>, Expected> cases[] = {
        {{}, {ok, 0, {{"merged/data.bin.start", head}, {"upper/data.bin.start", head}}}},
        {{{"lower/data.bin.start", "-> data.bin"}}, {cant_create}},
        {{{"lower/data.bin.start", "=> lower/data.bin"}}, {cant_create}},
    };
    for (const auto& [start, expected] : cases) {
        std::vector<Entry> entries = {
            {"lower/data.bin", big}, {"upper", "<dir>"}, {"work", "<dir>"}, {"merged", "<dir>"}};
        entries.insert(entries.end(), start.begin(), start.end());
        FolderOf folder(entries);
        std::string layers = "lowerdir=" + folder.path("lower") + ",upperdir=" + folder.path("upper") +
                             ",workdir=" + folder.path("work");
        if (output_of({"sh", "-c", "mount -t overlay overlay -o \"$1\" \"$2\" 2>&1 && echo mounted", "sh", layers,
                       folder.path("merged")})
                .find("mounted") == std::string::npos)
            GTEST_SKIP() << "overlay mounts are not allowed here";
        expect_run(folder, {"merged/data.bin"}, {}, expected, expected.out);
        output_of({"umount", folder.path("merged")});
    }
}

}  // namespace
