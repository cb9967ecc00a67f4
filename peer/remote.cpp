#include "remote.hpp"

#include "diagnostics.hpp"
#include "launchmessages.hpp"
#include "transfer.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// argv for exec: pointers into words, ended by a null pointer.
std::vector<char*> exec_vector(const std::vector<std::string>& words)
{
    std::vector<char*> vector;
    vector.reserve(words.size() + 1);
    for (const std::string& word : words)
        vector.push_back(const_cast<char*>(word.c_str()));
    vector.push_back(nullptr);
    return vector;
}

[[noreturn]] void run_remote_shell(const std::string& path, const std::vector<std::string>& words,
                                   int pipe_write)
{
    if (dup2(pipe_write, 1) < 0 || dup2(pipe_write, 2) < 0)
        _exit(1);
    const int null = open("/dev/null", O_RDONLY);
    if (null < 0 || dup2(null, 0) < 0)
        _exit(1);
    if (null != 0)
        close(null);
    std::vector<char*> argv = exec_vector(words);
    execv(path.c_str(), argv.data());
    Error(msg::shell_exec_failed, path.c_str(), words[1].c_str(), std::strerror(errno));
    _exit(1);
}

bool wait_for(pid_t pid, int& status)
{
    for (;;) {
        if (waitpid(pid, &status, 0) == pid)
            return true;
        if (errno != EINTR)
            return false;
    }
}

constexpr std::string_view kHostClientPrefixes[] = {"vqm.", "qzxt.", "xt."};

}  // namespace

std::optional<std::string> FindRemoteShellCommand()
{
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        errno = ENOENT;
        return std::nullopt;
    }
    std::string_view rest(path);
    for (;;) {
        const std::size_t colon = rest.find(':');
        std::string directory(rest.substr(0, colon));
        if (!directory.empty() && directory.back() != '/')
            directory += '/';
        for (const std::string& name : remote_shell_commands) {
            if (name.empty())
                continue;
            const std::string candidate = directory + name;
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos)
            return std::nullopt;
        rest.remove_prefix(colon + 1);
    }
}

RemoteShell StartClient(const std::string& terminal, const ClientArgs& client)
{
    const std::optional<std::string> path = FindRemoteShellCommand();
    if (!path)
        return {};
    std::vector<std::string> words{std::string(LastPathComponent(*path)), terminal};
    words.insert(words.end(), client.shell.begin(), client.shell.end());

    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return {};
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        const int error = errno;
        close(ends[0]);
        close(ends[1]);
        errno = error;
        return {};
    }
    if (pid == 0)
        run_remote_shell(*path, words, ends[1]);
    close(ends[1]);
    return {ends[0], pid};
}

bool RemoteStartSucceeded(const RemoteShell& shell)
{
    bool wrote = false;
    bool read_failed = false;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(shell.output, buffer, sizeof buffer);
        if (n > 0) {
            wrote = true;
            local_writex(1, buffer, static_cast<int>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            std::perror(msg::reading_rcmd);
            read_failed = true;
        }
        break;
    }
    close(shell.output);
    // Waited for on every road, so that no ended remote shell is left behind
    // as a zombie for the host-based client to inherit. With its pipe closed
    // it cannot block on writing.
    int status = 0;
    const bool waited = wait_for(shell.pid, status);
    return !read_failed && !wrote && waited && status == 0;
}

std::string FallbackPath(const char* path)
{
    std::string value = path != nullptr ? path : "/usr/bin:/bin";
    for (const std::string& directory : addToPath) {
        if (!directory.empty())
            value += ':' + directory;
    }
    return value;
}

std::string HostClientName(std::string_view word)
{
    return std::string(StripOnePrefix(LastPathComponent(word), kHostClientPrefixes));
}

void StartBackupClient(const ClientArgs& client)
{
    if (!failsafe)
        std::exit(1);
    setenv("PATH", FallbackPath(std::getenv("PATH")).c_str(), 1);
    std::vector<std::string> words = client.words;
    words[0] = HostClientName(words[0]);
    Verbose(msg::host_based, words[0].c_str());
    std::fflush(nullptr);
    std::vector<char*> argv = exec_vector(words);
    execvp(argv[0], argv.data());
    Verbose(msg::also_failed);
    std::exit(1);
}
