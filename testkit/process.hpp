// Runs a program as a child process for tests: feeds it standard input,
// collects standard output and standard error, and never lets it outlive
// its time limit.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace testkit {

struct RunOptions {
    std::string input;                     // written to the child's stdin, then closed
    std::string cwd;                       // empty: inherit
    std::vector<std::string> env;          // extra NAME=value entries
    std::chrono::milliseconds timeout{20000};
};

struct RunResult {
    int status = -1;        // exit status, or -1 when killed by a signal
    int signal = 0;         // terminating signal, 0 when it exited
    bool timed_out = false;
    std::string out;
    std::string err;
};

// For a forked child: executes argv (argv[0] is the path, no PATH search),
// or exits with status 127 when that fails.
[[noreturn]] void exec_or_exit(const std::vector<std::string>& argv);

// argv[0] is the program path; it is executed directly (no PATH search).
RunResult run(const std::vector<std::string>& argv, const RunOptions& opts = {});

}  // namespace testkit
