#include "run.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr uid_t nobody = 65534;

std::string drain(int fd)
{
    std::string bytes;
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<std::size_t>(n));
    return bytes;
}

int open_terminal(int& follower)
{
    int leader = posix_openpt(O_RDWR | O_NOCTTY);
    if (leader < 0 || grantpt(leader) != 0 || unlockpt(leader) != 0)
        throw std::runtime_error("no pseudo-terminal");
    follower = open(ptsname(leader), O_RDWR | O_NOCTTY);
    termios raw;
    tcgetattr(follower, &raw);
    cfmakeraw(&raw);
    tcsetattr(follower, TCSANOW, &raw);
    return leader;
}

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
    std::vector<std::string> words = options.wrapper;
    if (on_windows)
        words.push_back("/usr/bin/wine");
    words.push_back(HEADCOPY_PATH);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    int reader = -1;
    int writer = -1;
    std::string out_file = root_ + ".out";
    switch (options.output) {
    case Output::pipe:
    case Output::pipe_closed: {
        int ends[2];
        if (pipe(ends) != 0)
            throw std::runtime_error("pipe failed");
        reader = ends[0];
        writer = ends[1];
        if (options.output == Output::pipe_closed) {
            close(reader);
            reader = -1;
        }
        break;
    }
    case Output::file: writer = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666); break;
    case Output::terminal: reader = open_terminal(writer); break;
    case Output::full_device: writer = open("/dev/full", O_WRONLY); break;
    case Output::closed: break;
    }

    std::string stdout_path = options.output == Output::terminal ? ptsname(reader)
                              : options.output == Output::file   ? out_file
                                                                 : "";
    for (std::size_t i = 0; i < options.wrapper.size(); ++i)
        if (words[i] == "{stdout}")
            words[i] = stdout_path;
    argv.clear();
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    pid_t child = fork();
    if (child == 0) {
        if (chdir(root_.c_str()) != 0)
            _exit(126);
        if (writer >= 0)
            dup2(writer, STDOUT_FILENO);
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
        if (reader >= 0)
            close(reader);
        if (writer > STDERR_FILENO)
            close(writer);
        if (options.file_size_limit >= 0) {
            rlimit limit{static_cast<rlim_t>(options.file_size_limit), RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.unprivileged && (setgroups(0, nullptr) != 0 || setresgid(nobody, nobody, nobody) != 0 ||
                                     setresuid(nobody, nobody, nobody) != 0))
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }

    RunResult result;
    if (options.output == Output::pipe || options.output == Output::pipe_closed) {
        close(writer);
        if (reader >= 0)
            result.out = drain(reader);
    }
    int status = 0;
    waitpid(child, &status, 0);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    if (options.output == Output::terminal) {
        fcntl(reader, F_SETFL, O_NONBLOCK);
        result.out = drain(reader);
        close(writer);
    } else if (options.output == Output::file) {
        close(writer);
        std::ifstream in(out_file, std::ios::binary);
        result.out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        unlink(out_file.c_str());
    } else if (writer >= 0 && options.output == Output::full_device) {
        close(writer);
    }
    if (reader >= 0)
        close(reader);
    return result;
}

std::optional<Report> parse_report(const std::string& out)
{
    static const std::regex report_line("Runtime error([ \\d]{4}) at ([0-9A-F]{8})\r\n");
    std::smatch match;
    if (!std::regex_match(out, match, report_line))
        return std::nullopt;
    return Report{match[1].str(), match[2].str()};
}

std::string pattern(std::size_t n, unsigned seed)
{
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251 + std::size_t{seed} * 7) & 0xFF);
    return bytes;
}
