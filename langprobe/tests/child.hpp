// Runs langprobe with descriptors the test chooses for its standard input
// and output (files, pipes, devices, or none at all), collecting its
// standard error, and never lets it outlive its time limit.
#pragma once

#include "testkit/process.hpp"

#include <chrono>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

namespace lptest {

inline constexpr int kClosed = -1;

struct Outcome {
    int status = -1;  // exit status, -1 when it did not exit
    int signal = 0;   // terminating signal
    bool timed_out = false;
    std::string err;
};

// Starts at once; the test may feed or drain the descriptors it passed
// before calling wait(). The child gets in_fd and out_fd as its descriptors
// 0 and 1 (kClosed: left closed). The caller's own descriptors should be
// close-on-exec so the child holds no stray pipe ends. file_size_limit
// bounds the size of any file the child writes.
class Child {
public:
    Child(const std::vector<std::string>& argv, int in_fd, int out_fd,
          rlim_t file_size_limit = RLIM_INFINITY);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    Outcome wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));

private:
    pid_t pid_ = -1;
    int err_fd_ = -1;
};

// A close-on-exec pipe whose ends close with the object.
struct Pipe {
    int read_end = -1;
    int write_end = -1;
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void close_read();
    void close_write();
};

// A close-on-exec descriptor that closes with the object.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd();
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

Fd open_or_throw(const std::string& path, int flags, mode_t mode = 0600);

// Everything from the descriptor's current offset to its end.
std::string read_rest(int fd);

void write_or_throw(int fd, const std::string& bytes);

}  // namespace lptest

namespace lptest {

// Run options that only feed standard input.
testkit::RunOptions feeding(std::string input);

// argv for the program under test, with its arguments.
std::vector<std::string> langprobe_argv(const std::vector<std::string>& args);

struct FileRun {
    Outcome outcome;
    std::string out;   // what langprobe wrote
    std::string rest;  // what a second reader of the same open file gets next
};

// Runs langprobe with the job as a file on its standard input, then reads on
// from the same open file, as a shell's `(langprobe -q; cat) < job` would.
FileRun run_on_file(const std::vector<std::string>& args, const std::string& job);

}  // namespace lptest
