// Runs a peer's service loop in a forked child on one end of a socket pair
// or of a loopback TCP connection, so that the ways a connection ends (exit statuses, messages on standard
// error) can be seen from the test. The child is always reaped.
#pragma once

#include "codes.hpp"
#include "connection.hpp"

#include <chrono>
#include <initializer_list>
#include <ostream>
#include <string>
#include <sys/types.h>

namespace peertest {

// The child's status when the service loop returned instead of exiting.
inline constexpr int kReturned = 99;

struct Ending {
    int status = -1;  // exit status; -1 when killed
    int signal = 0;
    bool timed_out = false;
    std::string err;  // standard error with the elapsed-time prefixes removed
    std::string raw_err;
    std::string out;  // standard output, where it was collected
};

// Waits for the child pid to end; past the limit, kills kill_on_timeout (the
// child, or -pid for its whole group) and reaps the child.
Ending wait_for_exit(pid_t pid, std::chrono::milliseconds limit, pid_t kill_on_timeout);
// Everything in the file fd, read from its start.
std::string contents(int fd);
// Drops the seconds that verbose mode puts before each request's line.
std::string without_elapsed(const std::string& text);

enum class Transport { socket_pair, loopback_tcp };

class ServedPeer {
public:
    // The child serves with table, verbose as given, and ends with
    // kReturned if the loop returns.
    explicit ServedPeer(const CodeTable& table, bool verbose = true,
                        Transport transport = Transport::socket_pair);
    ~ServedPeer();
    ServedPeer(const ServedPeer&) = delete;
    ServedPeer& operator=(const ServedPeer&) = delete;

    // The client's end of the connection, owned by the returned object.
    peerclient::Connection connect(peerclient::ByteOrder order);
    // The connection's descriptor number inside the child.
    int server_fd() const { return server_fd_; }
    // Waits for the child to end; the client's end should be closed or done.
    Ending wait(std::chrono::milliseconds limit = std::chrono::seconds(10));

private:
    pid_t pid_ = -1;
    int client_fd_ = -1;
    int server_fd_ = -1;
    int err_fd_ = -1;
};

// A table with the connection request and the given families.
CodeTable table_with(std::initializer_list<OperationFamily> families);

}  // namespace peertest

namespace peerclient {
// Names the byte order in test output.
inline void PrintTo(ByteOrder order, std::ostream* out)
{
    *out << order_name(order);
}
}  // namespace peerclient
