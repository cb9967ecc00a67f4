#include "child.hpp"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace lptest {
namespace {

std::runtime_error sys_error(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

[[noreturn]] void exec_child(const std::vector<std::string>& argv, int in_fd, int out_fd,
                             int err_fd, rlim_t file_size_limit)
{
    const rlimit fsize{file_size_limit, file_size_limit};
    if (file_size_limit != RLIM_INFINITY && setrlimit(RLIMIT_FSIZE, &fsize) != 0)
        _exit(126);
    setpgid(0, 0);
    // The test process ignores SIGPIPE; the program under test must start
    // with the defaults, as it would from a shell.
    signal(SIGPIPE, SIG_DFL);
    signal(SIGXFSZ, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (in_fd == kClosed)
        close(0);
    else if (dup2(in_fd, 0) < 0)
        _exit(126);
    if (out_fd == kClosed)
        close(1);
    else if (dup2(out_fd, 1) < 0)
        _exit(126);
    if (dup2(err_fd, 2) < 0)
        _exit(126);
    testkit::exec_or_exit(argv);
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, int in_fd, int out_fd,
             rlim_t file_size_limit)
{
    signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not kill the test
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0)
        throw sys_error("pipe");
    pid_ = fork();
    if (pid_ < 0) {
        close(err[0]);
        close(err[1]);
        throw sys_error("fork");
    }
    if (pid_ == 0)
        exec_child(argv, in_fd, out_fd, err[1], file_size_limit);
    setpgid(pid_, pid_);
    close(err[1]);
    err_fd_ = err[0];
}

Child::~Child()
{
    if (pid_ > 0) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (err_fd_ >= 0)
        close(err_fd_);
}

Outcome Child::wait(std::chrono::milliseconds timeout)
{
    Outcome r;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto left_ms = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   deadline - std::chrono::steady_clock::now())
            .count();
    };
    char buf[4096];
    while (err_fd_ >= 0 && left_ms() > 0) {
        pollfd p{err_fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left_ms())) <= 0)
            continue;
        const ssize_t got = read(err_fd_, buf, sizeof buf);
        if (got > 0) {
            r.err.append(buf, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            close(err_fd_);
            err_fd_ = -1;
        }
    }
    int st = 0;
    while (waitpid(pid_, &st, WNOHANG) == 0) {
        if (left_ms() <= 0) {
            r.timed_out = true;
            kill(-pid_, SIGKILL);
            waitpid(pid_, &st, 0);
            break;
        }
        usleep(1000);
    }
    pid_ = -1;
    if (WIFEXITED(st))
        r.status = WEXITSTATUS(st);
    else if (WIFSIGNALED(st))
        r.signal = WTERMSIG(st);
    return r;
}

Pipe::Pipe()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw sys_error("pipe");
    read_end = fds[0];
    write_end = fds[1];
}

Pipe::~Pipe()
{
    close_read();
    close_write();
}

void Pipe::close_read()
{
    if (read_end >= 0)
        close(read_end);
    read_end = -1;
}

void Pipe::close_write()
{
    if (write_end >= 0)
        close(write_end);
    write_end = -1;
}

Fd::~Fd()
{
    if (fd_ >= 0)
        close(fd_);
}

Fd open_or_throw(const std::string& path, int flags, mode_t mode)
{
    const int fd = open(path.c_str(), flags | O_CLOEXEC, mode);
    if (fd < 0)
        throw sys_error("open " + path);
    return Fd(fd);
}

std::string read_rest(int fd)
{
    std::string all;
    char buf[65536];
    for (;;) {
        const ssize_t got = read(fd, buf, sizeof buf);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw sys_error("read");
        if (got == 0)
            return all;
        all.append(buf, static_cast<std::size_t>(got));
    }
}

void write_or_throw(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            throw sys_error("write");
        done += static_cast<std::size_t>(put);
    }
}

}  // namespace lptest

#include "testkit/files.hpp"

namespace lptest {

testkit::RunOptions feeding(std::string input)
{
    testkit::RunOptions opts;
    opts.input = std::move(input);
    return opts;
}

std::vector<std::string> langprobe_argv(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{LANGPROBE};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

FileRun run_on_file(const std::vector<std::string>& args, const std::string& job)
{
    testkit::TempDir dir;
    testkit::write_file(dir.file("job"), job);
    const Fd in = open_or_throw(dir.file("job"), O_RDONLY);
    const Fd out = open_or_throw(dir.file("out"), O_WRONLY | O_CREAT | O_TRUNC);
    FileRun r;
    r.outcome = Child(langprobe_argv(args), in.get(), out.get()).wait();
    r.out = testkit::read_file(dir.file("out"));
    r.rest = read_rest(in.get());
    return r;
}

}  // namespace lptest
