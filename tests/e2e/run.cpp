#include "run.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

#include <gtest/gtest.h>

#include "terminal.h"

namespace {

constexpr uid_t nobody = 65534;

// Empty words are dropped: a build with no runner passes "".
const std::vector<std::string> runner = [] {
    std::vector<std::string> words;
    for (const char* word : {HEADCOPY_RUNNER})
        if (*word)
            words.emplace_back(word);
    return words;
}();

bool as_root() { return geteuid() == 0; }

// Where the program cannot run at all, every case says why, and none vanishes:
// a skip here runs no case, and the line marks the case skipped for ctest.
class SkipEveryCase : public testing::Environment {
public:
    void SetUp() override
    {
        if (*HEADCOPY_SKIP_REASON) {
            std::printf("[  SKIPPED ] %s\n", HEADCOPY_SKIP_REASON);
            GTEST_SKIP() << HEADCOPY_SKIP_REASON;
        }
    }
};
const auto* const skip_every_case = testing::AddGlobalTestEnvironment(new SkipEveryCase);

// The program as user nobody can reach it: a copy in a folder of its own that
// anyone may enter, for a build folder that others cannot.
const std::string& program_for_nobody()
{
    static const Folder folder;
    static const std::string path = [] {
        std::string copy = folder.path(std::filesystem::path(HEADCOPY_PATH).filename().string());
        std::error_code error;
        std::filesystem::copy_file(HEADCOPY_PATH, copy, error);
        bool reachable = !error && chmod(folder.root().c_str(), 0755) == 0 && chmod(copy.c_str(), 0755) == 0;
        return reachable ? copy : std::string();
    }();
    return path;
}

std::string drain(int fd)
{
    std::string bytes;
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<std::size_t>(n));
    return bytes;
}

}  // namespace

int open_terminal(int& follower)
{
    Terminal terminal = open_raw_terminal();
    if (terminal.leader < 0)
        throw std::runtime_error("no pseudo-terminal");
    follower = terminal.follower;
    return terminal.leader;
}

namespace {

// Standard output of one kind for one run: made before it, named for a
// wrapper, and read back while and after it runs.
class Sink {
public:
    Sink(Output kind, std::string file) : kind_(kind), file_(std::move(file))
    {
        switch (kind) {
        case Output::pipe:
        case Output::pipe_closed: {
            int ends[2];
            if (pipe(ends) != 0)
                throw std::runtime_error("pipe failed");
            reader_ = ends[0];
            writer_ = ends[1];
            if (kind == Output::pipe_closed) {
                close(reader_);
                reader_ = -1;
            }
            break;
        }
        case Output::file: writer_ = open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666); break;
        case Output::terminal: reader_ = open_terminal(writer_); break;
        case Output::full_device: writer_ = open("/dev/full", O_WRONLY); break;
        case Output::closed: break;
        }
    }
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;
    ~Sink()
    {
        for (int fd : {reader_, writer_})
            if (fd >= 0)
                close(fd);
    }

    // The descriptor the program gets as standard output; -1 for none.
    int writer() const { return writer_; }
    // Its path, for a wrapper's "{stdout}": a terminal's or a file's.
    std::string path() const
    {
        return kind_ == Output::terminal ? ptsname(reader_) : kind_ == Output::file ? file_ : "";
    }

    // What arrives while the program runs: a pipe is read to its end, so
    // that a full one never holds the program.
    std::string while_running()
    {
        if (kind_ != Output::pipe && kind_ != Output::pipe_closed)
            return "";
        close_writer();
        return reader_ >= 0 ? drain(reader_) : "";
    }

    // What arrived, once the program has exited; a file of our own is removed.
    std::string after_exit(bool own_file)
    {
        std::string out;
        if (kind_ == Output::terminal) {
            fcntl(reader_, F_SETFL, O_NONBLOCK);
            out = drain(reader_);
        } else if (kind_ == Output::file) {
            close_writer();
            std::ifstream in(file_, std::ios::binary);
            out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (own_file)
                unlink(file_.c_str());
        }
        return out;
    }

private:
    void close_writer()
    {
        if (writer_ >= 0)
            close(writer_);
        writer_ = -1;
    }

    Output kind_;
    std::string file_;
    int reader_ = -1;
    int writer_ = -1;
};

}  // namespace

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

std::string Folder::read(const std::string& name) const
{
    std::ifstream in(path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::string> Folder::snapshot() const
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    // By hand, so that no link is ever followed: a looping one would throw.
    auto walk = [&](const fs::path& dir, auto& self) -> void {
        for (const auto& entry : fs::directory_iterator(dir)) {
            std::string name = entry.path().string().substr(root_.size() + 1);
            fs::file_type type = entry.symlink_status().type();
            if (type == fs::file_type::symlink) {
                entries[name] = "-> " + fs::read_symlink(entry.path()).string();
            } else if (type == fs::file_type::directory) {
                entries[name] = "<dir>";
                self(entry.path(), self);
            } else if (type == fs::file_type::regular) {
                entries[name] = read(name);
            } else {
                entries[name] = "<special>";
            }
        }
    };
    walk(root_, walk);
    return entries;
}

RunResult Folder::run(const std::vector<std::string>& args, const RunOptions& options) const
{
    bool drop_to_nobody = options.unprivileged && as_root();
    std::vector<std::string> words = options.wrapper;
    words.insert(words.end(), runner.begin(), runner.end());
    words.push_back(drop_to_nobody ? program_for_nobody() : HEADCOPY_PATH);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    Sink sink(options.output, options.output_path.empty() ? root_ + ".out" : options.output_path);
    std::string stdout_path = sink.path();
    for (std::size_t i = 0; i < options.wrapper.size(); ++i)
        if (words[i] == "{stdout}")
            words[i] = stdout_path;
    argv.clear();
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::string program = words[0];
    std::string name = options.program_name.value_or("");
    if (options.program_name)
        argv[0] = name.data();
    if (options.no_arguments)
        argv.assign(1, nullptr);

    pid_t child = fork();
    if (child == 0) {
        if (chdir(root_.c_str()) != 0)
            _exit(126);
        if (sink.writer() >= 0)
            dup2(sink.writer(), STDOUT_FILENO);
        else
            close(STDOUT_FILENO);
        if (options.close_input)
            close(STDIN_FILENO);
        // Wine's own processes outlive a run; they must not hold the test's output.
        if (on_windows) {
            int null = open("/dev/null", O_RDWR);
            dup2(null, STDERR_FILENO);
            dup2(null, STDIN_FILENO);
            if (null > STDERR_FILENO)
                close(null);
        }
        // Nothing of the test's own reaches the program.
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
        close_range(STDERR_FILENO + 1, ~0U, 0);
#else
        for (int fd = STDERR_FILENO + 1; fd < 1024; ++fd)
            close(fd);
#endif
        if (options.file_size_limit >= 0) {
            rlimit limit{static_cast<rlim_t>(options.file_size_limit), RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.open_files_limit >= 0) {
            rlimit limit{static_cast<rlim_t>(options.open_files_limit), static_cast<rlim_t>(options.open_files_limit)};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        // A pending alarm outlives exec: a run that waits is ended, not waited for.
        alarm(options.timeout_seconds);
        if (drop_to_nobody && (setgroups(0, nullptr) != 0 || setresgid(nobody, nobody, nobody) != 0 ||
                               setresuid(nobody, nobody, nobody) != 0))
            _exit(126);
        execvp(program.c_str(), argv.data());
        _exit(127);
    }

    RunResult result;
    result.out = sink.while_running();
    int status = 0;
    waitpid(child, &status, 0);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    result.out += sink.after_exit(options.output_path.empty());
    return result;
}

std::optional<Report> parse_report(const std::string& out)
{
    static const std::regex report_line(report_words + "([ \\d]{4}) at ([0-9A-F]{8})\r\n");
    std::smatch match;
    if (!std::regex_match(out, match, report_line))
        return std::nullopt;
    return Report{match[1].str(), match[2].str()};
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

bool under_runner() { return !runner.empty(); }

std::string why_not_here(Where where)
{
    if (where == Where::anywhere)
        return "";
    if (where == Where::windows_only)
        return on_windows ? "" : "Win32's own rule for names, which Linux does not have";
    if (where == Where::native_strace && under_runner())
        return "the system calls strace sees are those of wine or the emulator, not the program's";
    if (on_windows)
        return "means something else on Windows, or wine lacks it";
    switch (where) {
    case Where::linux_natively:
        return under_runner() ? "the program runs under an emulator, whose argument vector and system calls are seen"
                              : "";
    case Where::linux_as_root: return geteuid() == 0 ? "" : "needs root, for devices and mounts";
    case Where::unprivileged: return unprivileged_unavailable();
    case Where::native_strace: return find_program("strace").empty() ? "needs strace (apt-get install strace)" : "";
    default: return "";
    }
}

std::string unprivileged_unavailable()
{
    // An ordinary user already cannot write a read-only file.
    if (!as_root())
        return "";
    static const std::string reason = [] {
        if (program_for_nobody().empty())
            return std::string("as root these cases run as user nobody, and no copy of the program could be made "
                               "for that user under /tmp");
        Folder folder;
        RunOptions options;
        options.unprivileged = true;
        RunResult result = folder.run({}, options);
        if (result.out != need_one)
            return "as root these cases run as user nobody, who cannot run the program here (exit code " +
                   std::to_string(result.code) + ")";
        return std::string();
    }();
    return reason;
}

std::string find_program(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (std::size_t from = 0; from <= folders.size();) {
        std::size_t end = folders.find(':', from);
        if (end == std::string::npos)
            end = folders.size();
        std::string candidate = (end == from ? std::string(".") : folders.substr(from, end - from)) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        from = end + 1;
    }
    return "";
}

std::string output_of(const std::vector<std::string>& words)
{
    int ends[2];
    if (pipe(ends) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> copies = words;
    std::vector<char*> argv;
    argv.reserve(copies.size() + 1);
    for (std::string& word : copies)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child == 0) {
        dup2(ends[1], STDOUT_FILENO);
        int null = open("/dev/null", O_RDWR);
        dup2(null, STDERR_FILENO);
        close(ends[0]);
        close(ends[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(ends[1]);
    std::string out = drain(ends[0]);
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return out;
}
