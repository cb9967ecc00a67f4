#include "launched.hpp"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace peertest {
namespace {

using Clock = std::chrono::steady_clock;

int milliseconds_until(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

std::vector<pid_t> children_of(pid_t parent_pid)
{
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return found;
    while (const dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        // pid (name) state ppid ...; the name may hold anything but ends at the last ')'.
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == parent_pid)
            found.push_back(pid);
    }
    closedir(proc);
    return found;
}

Launched::Launched(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    err_fd_ = memfd_create("launched-stderr", MFD_CLOEXEC);
    if (err_fd_ < 0)
        throw std::runtime_error("memfd_create");
    std::vector<char*> args;
    for (const std::string& word : argv)
        args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork");
    if (pid_ == 0) {
        setpgid(0, 0);
        signal(SIGPIPE, SIG_DFL);
        const int null = open("/dev/null", O_RDONLY);
        if (null < 0 || dup2(null, 0) < 0 || dup2(out[1], 1) < 0 || dup2(err_fd_, 2) < 0)
            _exit(126);
        for (const std::string& entry : env)
            putenv(const_cast<char*>(entry.c_str()));
        execv(args[0], args.data());
        _exit(127);
    }
    setpgid(pid_, pid_);
    close(out[1]);
    out_fd_ = out[0];
}

Launched::~Launched()
{
    if (pid_ > 0) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(out_fd_);
    close(err_fd_);
}

std::string Launched::read_line(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const std::size_t newline = out_.find('\n');
        if (newline != std::string::npos) {
            std::string line = out_.substr(0, newline + 1);
            out_.erase(0, newline + 1);
            return line;
        }
        pollfd ready{out_fd_, POLLIN, 0};
        if (poll(&ready, 1, milliseconds_until(deadline)) <= 0)
            return {};
        char buffer[512];
        const ssize_t n = read(out_fd_, buffer, sizeof buffer);
        if (n <= 0)
            return {};
        out_.append(buffer, static_cast<std::size_t>(n));
    }
}

Ending Launched::wait(std::chrono::milliseconds limit)
{
    Ending ending = wait_for_exit(pid_, limit, -pid_);
    pid_ = -1;
    // What is left in the pipe; a descendant may still hold its write end.
    fcntl(out_fd_, F_SETFL, O_NONBLOCK);
    char buffer[4096];
    for (ssize_t n; (n = read(out_fd_, buffer, sizeof buffer)) > 0;)
        out_.append(buffer, static_cast<std::size_t>(n));
    ending.out = std::move(out_);
    out_.clear();
    ending.raw_err = contents(err_fd_);
    ending.err = without_elapsed(ending.raw_err);
    return ending;
}

Subreaper::Subreaper()
{
    if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0)
        throw std::runtime_error("PR_SET_CHILD_SUBREAPER");
}

int Subreaper::collect(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const pid_t pid = waitpid(-1, nullptr, WNOHANG);
        if (pid < 0)
            return 0;  // no children left
        if (pid == 0 && Clock::now() > deadline)
            break;
        if (pid == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::vector<pid_t> left = children_of(getpid());
    for (const pid_t pid : left)
        kill(pid, SIGKILL);
    for (const pid_t pid : left)
        waitpid(pid, nullptr, 0);
    return static_cast<int>(left.size());
}

int dial_from(const char* local_address, std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, local_address, &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
        close(fd);
        throw std::runtime_error(std::string("connect from ") + local_address);
    }
    return fd;
}

bool wait_for_file(const std::string& path, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    struct stat info {};
    while (stat(path.c_str(), &info) != 0) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<std::string> split_words(const std::string& record)
{
    std::vector<std::string> words;
    for (std::size_t at = 0; at < record.size();) {
        const std::size_t end = record.find('\0', at);
        words.push_back(record.substr(at, end - at));
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return words;
}

}  // namespace peertest
