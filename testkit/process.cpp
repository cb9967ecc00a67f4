#include "testkit/process.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace testkit {
namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe()
    {
        if (pipe2(fd, O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    ~Pipe() { close_both(); }
    void close_end(int i)
    {
        if (fd[i] >= 0)
            ::close(fd[i]);
        fd[i] = -1;
    }
    void close_both()
    {
        close_end(0);
        close_end(1);
    }
};

[[noreturn]] void exec_child(const std::vector<std::string>& argv, const RunOptions& opts, Pipe& in,
                             Pipe& out, Pipe& err)
{
    // Own process group, so a timeout can end everything the child started.
    setpgid(0, 0);
    signal(SIGPIPE, SIG_DFL);
    dup2(in.fd[0], 0);
    dup2(out.fd[1], 1);
    dup2(err.fd[1], 2);
    if (!opts.cwd.empty() && chdir(opts.cwd.c_str()) != 0)
        _exit(126);
    for (const auto& e : opts.env)
        putenv(const_cast<char*>(e.c_str()));
    exec_or_exit(argv);
}

}  // namespace

void exec_or_exit(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

RunResult run(const std::vector<std::string>& argv, const RunOptions& opts)
{
    if (argv.empty())
        throw std::invalid_argument("run: empty argv");
    // A child that stops reading its input must not kill the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    Pipe in, out, err;
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0)
        exec_child(argv, opts, in, out, err);
    setpgid(pid, pid);
    in.close_end(0);
    out.close_end(1);
    err.close_end(1);
    fcntl(in.fd[1], F_SETFL, O_NONBLOCK);

    RunResult r;
    std::size_t written = 0;
    if (opts.input.empty())
        in.close_end(1);
    auto deadline = std::chrono::steady_clock::now() + opts.timeout;
    char buf[65536];
    while (out.fd[0] >= 0 || err.fd[0] >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            r.timed_out = true;
            kill(-pid, SIGKILL);
            break;
        }
        pollfd fds[3];
        nfds_t n = 0;
        int* owners[3];
        auto add = [&](int& fd, short ev) {
            if (fd >= 0) {
                fds[n] = {fd, ev, 0};
                owners[n++] = &fd;
            }
        };
        add(out.fd[0], POLLIN);
        add(err.fd[0], POLLIN);
        add(in.fd[1], POLLOUT);
        int rc = poll(fds, n, static_cast<int>(left.count()));
        if (rc < 0 && errno != EINTR)
            break;
        for (nfds_t i = 0; rc > 0 && i < n; ++i) {
            if (fds[i].revents == 0)
                continue;
            int& fd = *owners[i];
            if (&fd == &in.fd[1]) {
                ssize_t w = write(fd, opts.input.data() + written, opts.input.size() - written);
                if (w > 0)
                    written += static_cast<std::size_t>(w);
                if (w < 0 && errno != EAGAIN && errno != EINTR)
                    in.close_end(1);  // reader gone: the rest of the input is not wanted
                else if (written == opts.input.size())
                    in.close_end(1);
                continue;
            }
            ssize_t got = read(fd, buf, sizeof buf);
            if (got > 0)
                (&fd == &out.fd[0] ? r.out : r.err).append(buf, static_cast<std::size_t>(got));
            else if (got == 0 || (errno != EINTR && errno != EAGAIN))
                fd == out.fd[0] ? out.close_end(0) : err.close_end(0);
        }
    }
    in.close_end(1);
    int st = 0;
    if (r.timed_out) {
        waitpid(pid, &st, 0);
    } else {
        // Output closed; the child should be gone or about to be. Give it
        // the remaining time, then end it.
        while (waitpid(pid, &st, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                r.timed_out = true;
                kill(-pid, SIGKILL);
                waitpid(pid, &st, 0);
                break;
            }
            usleep(2000);
        }
    }
    if (WIFEXITED(st))
        r.status = WEXITSTATUS(st);
    else if (WIFSIGNALED(st))
        r.signal = WTERMSIG(st);
    return r;
}

}  // namespace testkit
