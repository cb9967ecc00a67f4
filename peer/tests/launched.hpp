// Runs the peer program itself for end-to-end tests: a launched process
// whose standard output can be read line by line while it runs, and a
// subreaper that collects whatever the programs it starts leave running
// once their parents have gone (clients started in the background).
#pragma once

#include "served.hpp"

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace peertest {

class Launched {
public:
    // argv[0] is the program's path; env entries are "NAME=value", or
    // "NAME" to remove the variable. The process gets its own group.
    Launched(const std::vector<std::string>& argv, const std::vector<std::string>& env);
    ~Launched();
    Launched(const Launched&) = delete;
    Launched& operator=(const Launched&) = delete;

    pid_t pid() const { return pid_; }
    // Standard error so far, as written.
    std::string err() const { return contents(err_fd_); }
    // The next line of standard output with its newline; empty when none
    // came within the limit.
    std::string read_line(std::chrono::milliseconds limit);
    // Waits for the end; the rest of standard output goes to Ending::out.
    Ending wait(std::chrono::milliseconds limit = std::chrono::seconds(10));

private:
    pid_t pid_ = -1;
    int out_fd_ = -1;
    int err_fd_ = -1;
    std::string out_;  // read but not yet handed out
};

// Makes this process the reaper of every orphaned descendant.
class Subreaper {
public:
    Subreaper();
    // Waits up to limit for every child to end, reaping each; then kills
    // and reaps those left. Returns how many had to be killed.
    int collect(std::chrono::milliseconds limit);
};

// The processes whose parent is pid.
std::vector<pid_t> children_of(pid_t pid);

// Connects to the loopback port from the given local IPv4 address.
int dial_from(const char* local_address, std::uint16_t port);

// Polls until the file exists or the limit has passed.
bool wait_for_file(const std::string& path, std::chrono::milliseconds limit);

// The fields of a record of NUL-ended words.
std::vector<std::string> split_words(const std::string& record);

}  // namespace peertest
