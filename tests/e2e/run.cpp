#include "run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

#include <gtest/gtest.h>

#include "terminal.h"

const Target& target()
{
    static const Target named = [] {
        auto variable = [](const char* name) -> std::string {
            const char* value = std::getenv(name);
            return value ? value : "";
        };
        Target t{variable("HEADCOPY_PROGRAM"), {}, variable("HEADCOPY_WINE") == "1", variable("HEADCOPY_SKIP_REASON")};
        std::istringstream words(variable("HEADCOPY_RUNNER"));
        for (std::string word; words >> word;)
            t.runner.push_back(word);
        // A suite started by hand, with nothing to test, says so in every case.
        if (t.program.empty() && t.skip_reason.empty())
            t.skip_reason = "HEADCOPY_PROGRAM names no program to test; ctest sets it";
        return t;
    }();
    return named;
}

namespace {

constexpr uid_t nobody = 65534;

bool as_root() { return geteuid() == 0; }

// What the program runs under (wine, an emulator), whose system calls are all
// that can be seen from outside.
const std::vector<std::string>& runner() { return target().runner; }

// Where the program cannot run at all, every case says why, and none vanishes:
// a skip here runs no case, and the line marks the case skipped for ctest.
struct SkipEveryCase : testing::Environment {
    void SetUp() override
    {
        std::printf("[  SKIPPED ] %s\n", target().skip_reason.c_str());
        GTEST_SKIP() << target().skip_reason;
    }
};
auto* const skip_every_case =
    target().skip_reason.empty() ? nullptr : testing::AddGlobalTestEnvironment(new SkipEveryCase);

// The program as user nobody can reach it: a copy in a folder of its own that
// anyone may enter, for a build folder that others cannot.
const std::string& program_for_nobody()
{
    static const Folder folder;
    static const std::string path = [] {
        std::string copy = folder.path(std::filesystem::path(target().program).filename().string());
        std::error_code error;
        std::filesystem::copy_file(target().program, copy, error);
        bool reachable = !error && chmod(folder.root().c_str(), 0755) == 0 && chmod(copy.c_str(), 0755) == 0;
        return reachable ? copy : std::string();
    }();
    return path;
}

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs words[0] in dir with the standard output options ask for, and waits for
// its end. quiet: standard input and error are /dev/null, not the test's.
RunResult spawn(std::vector<std::string> words, const RunOptions& options, const std::string& dir, bool quiet)
{
    // Standard output is made before the run, named for a wrapper, and read
    // back while and after it runs.
    std::string file = options.output_path.empty() ? dir + ".out" : options.output_path;  // for Output::file
    int ends[2] = {-1, -1};  // a pipe's, or a terminal's leader and follower
    int& reader = ends[0];   // the test's end, where there is one
    int& writer = ends[1];   // the program's standard output; -1 for none
    switch (options.output) {
    case Output::pipe:
    case Output::pipe_closed:
        if (pipe(ends) != 0)
            throw std::runtime_error("pipe failed");
        break;
    case Output::file: writer = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666); break;
    case Output::terminal: {
        SinkEnds terminal = open_sink(SinkKind::console);  // its leader reads without waiting
        if (terminal.reader < 0)
            throw std::runtime_error("no pseudo-terminal");
        reader = terminal.reader;
        writer = terminal.writer;
        break;
    }
    case Output::full_device: writer = open("/dev/full", O_WRONLY); break;
    case Output::closed: break;
    }
    if (options.output == Output::pipe_closed)
        close(std::exchange(reader, -1));
    std::string stdout_path = options.output == Output::terminal ? ptsname(reader) : file;
    // A wrapper's word "{stdout}" names the terminal or the file.
    auto wrapper_end = words.begin() + static_cast<std::ptrdiff_t>(options.wrapper.size());
    std::replace(words.begin(), wrapper_end, std::string("{stdout}"), stdout_path);
    std::vector<char*> argv(words.size() + 1);  // the last one null
    std::transform(words.begin(), words.end(), argv.begin(), [](std::string& word) { return word.data(); });
    std::string name = options.program_name.value_or(words[0]);
    argv[0] = name.data();
    if (options.no_arguments)
        argv.assign(1, nullptr);
    bool drop_to_nobody = options.unprivileged && as_root();

    pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        if (writer >= 0)
            dup2(writer, STDOUT_FILENO);
        else
            close(STDOUT_FILENO);
        if (options.close_input)
            close(STDIN_FILENO);
        if (options.close_error)
            close(STDERR_FILENO);
        if (quiet) {
            int null = open("/dev/null", O_RDWR);
            dup2(null, STDERR_FILENO);
            dup2(null, STDIN_FILENO);
        }
        // Nothing of the test's own reaches the program, nor the /dev/null just opened.
        for (int fd = STDERR_FILENO + 1; fd < 1024; ++fd)
            close(fd);
        // A limit asked for is the hard one too, which the program cannot raise
        // and an ordinary user may always set.
        for (auto [resource, value] :
             {std::pair{RLIMIT_FSIZE, options.file_size_limit}, std::pair{RLIMIT_NOFILE, options.open_files_limit}}) {
            rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
            if (value >= 0)
                setrlimit(resource, &limit);
        }
        // A pending alarm outlives exec: a run that waits is ended, not waited for.
        alarm(options.timeout_seconds);
        if (drop_to_nobody && (setgroups(0, nullptr) != 0 || setresgid(nobody, nobody, nobody) != 0 ||
                               setresuid(nobody, nobody, nobody) != 0))
            _exit(126);
        execvp(words[0].c_str(), argv.data());
        _exit(127);
    }

    RunResult result;
    // A pipe is read to its end while the program runs, so that a full one
    // never holds the program; a terminal is read once it has exited. Where
    // there is no end, its -1 is closed and read as nothing, harmlessly.
    if (options.output != Output::terminal) {
        close(std::exchange(writer, -1));
        result.out = read_available(reader);
    }
    int status = 0;
    waitpid(child, &status, 0);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    if (options.output == Output::terminal)
        result.out = read_available(reader);
    if (options.output == Output::file) {
        result.out = contents(file);
        if (options.output_path.empty())  // a file of our own
            unlink(file.c_str());
    }
    for (int fd : ends)
        close(fd);
    return result;
}

// Why the runs as an ordinary user cannot be made here as root, or empty when
// they can: they run as user nobody, from a copy of the program that user can reach.
std::string unprivileged_unavailable_to_root()
{
    static const std::string reason = [] {
        std::string as_nobody = "as root these cases run as user nobody, ";
        if (program_for_nobody().empty())
            return as_nobody + "and no copy of the program could be made for that user under /tmp";
        RunResult result = Folder().run({}, {.unprivileged = true});
        if (result.out != need_one)
            return as_nobody + "who cannot run the program here (exit code " + std::to_string(result.code) + ")";
        return std::string();
    }();
    return reason;
}

}  // namespace

std::string no_terminal_reason()
{
    static const std::string reason = [] {
        Terminal terminal = open_raw_terminal();
        for (int fd : {terminal.leader, terminal.follower})
            close(fd);
        // A follower is only opened on a leader.
        return terminal.follower >= 0 ? "" : "the system gives no pseudo-terminal to stand for a console";
    }();
    return reason;
}

Folder::Folder()
{
    char templ[] = "/tmp/headcopy_e2e_XXXXXX";
    if (!mkdtemp(templ))
        throw std::runtime_error("mkdtemp failed");
    root_ = templ;
    chmod(root_.c_str(), 0777);
}

Folder::~Folder()
{
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::all, ignored);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_, ignored))
        if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::all, ignored);
    std::filesystem::remove_all(root_, ignored);
}

void Folder::write(const std::string& name, const std::string& bytes) const
{
    std::ofstream(path(name), std::ios::binary) << bytes;
}

std::string Folder::read(const std::string& name) const { return contents(path(name)); }

std::map<std::string, std::string> Folder::snapshot() const
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    // The iterator follows no link, so a looping one does no harm.
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
        std::string name = entry.path().string().substr(root_.size() + 1);
        fs::file_type type = entry.symlink_status().type();
        if (type == fs::file_type::symlink)
            entries[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (type == fs::file_type::directory)
            entries[name] = "<dir>";
        else
            entries[name] = type == fs::file_type::regular ? read(name) : "<special>";
    }
    return entries;
}

RunResult Folder::run(const std::vector<std::string>& args, const RunOptions& options) const
{
    std::vector<std::string> words = options.wrapper;
    words.insert(words.end(), runner().begin(), runner().end());
    words.push_back(options.unprivileged && as_root() ? program_for_nobody() : target().program);
    words.insert(words.end(), args.begin(), args.end());
    // Wine's own processes outlive a run; they must not hold the test's output.
    return spawn(words, options, root_, on_windows());
}

std::optional<std::string> report_address(const std::string& out)
{
    static const std::regex report_line(report_words + "[ \\d]{4} at ([0-9A-F]{8})\r\n");
    std::smatch match;
    if (!std::regex_match(out, match, report_line))
        return std::nullopt;
    return match[1].str();
}

bool output_matches(const std::string& out, const std::string& expected)
{
    return expected.starts_with(report_words) ? report_address(out) && out.starts_with(expected) : out == expected;
}

std::string report(int number)
{
    std::string digits = std::to_string(number);
    return report_words + std::string(4 - std::min<std::size_t>(4, digits.size()), ' ') + digits;
}

std::string pattern(std::size_t n, unsigned seed)
{
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251 + std::size_t{seed} * 7) & 0xFF);
    return bytes;
}

std::string why_not_here(Where where)
{
    if (where == Where::anywhere)
        return "";
    if (where == Where::windows_only)
        return on_windows() ? "" : "Win32's own rule for names, which Linux does not have";
    if (where == Where::native_strace && !runner().empty())
        return "the system calls strace sees are those of wine or the emulator, not the program's";
    if (on_windows())
        return "means something else on Windows, or wine lacks it";
    switch (where) {
    case Where::linux_natively:
        return runner().empty() ? ""
                                : "the program runs under an emulator, whose argument vector and system calls are seen";
    case Where::linux_as_root: return as_root() ? "" : "needs root, for devices and mounts";
    // An ordinary user already cannot write a read-only file.
    case Where::unprivileged: return as_root() ? unprivileged_unavailable_to_root() : "";
    case Where::native_strace: return on_path("strace") ? "" : "needs strace (apt-get install strace)";
    default: return "";
    }
}

bool on_path(const std::string& name) { return !output_of({"sh", "-c", "command -v \"$1\"", "sh", name}).empty(); }

std::string output_of(const std::vector<std::string>& argv) { return spawn(argv, {}, ".", true).out; }
