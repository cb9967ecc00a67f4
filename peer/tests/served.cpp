#include "served.hpp"

#include "diagnostics.hpp"
#include "service.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace peertest {
namespace {

// A listening loopback TCP socket on a port the system chooses.
int listen_loopback(std::uint16_t& port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(fd, 1) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("loopback listener");
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

std::string contents(int fd)
{
    std::string text;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = pread(fd, buffer, sizeof buffer, at);
        if (n <= 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

// Drops the seconds that verbose mode puts before each request's line (one
// for each request that logged nothing before it).
std::string without_elapsed(const std::string& text)
{
    std::string kept;
    for (std::size_t at = 0; at < text.size();) {
        for (;;) {
            const std::size_t end = text.find_first_not_of("0123456789.e+-", at);
            if (end == at || end == std::string::npos || text[end] != ' ')
                break;
            at = end + 1;
        }
        const std::size_t next = std::min(text.find('\n', at), text.size() - 1) + 1;
        kept.append(text, at, next - at);
        at = next;
    }
    return kept;
}

ServedPeer::ServedPeer(const CodeTable& table, bool verbose_mode, Transport transport)
{
    // A file rather than a pipe: a chatty child can never block on it.
    err_fd_ = memfd_create("peer-stderr", MFD_CLOEXEC);
    if (err_fd_ < 0)
        throw std::runtime_error("memfd_create");
    std::uint16_t port = 0;
    if (transport == Transport::socket_pair) {
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
            throw std::runtime_error("socketpair");
        client_fd_ = pair[0];
        server_fd_ = pair[1];
    } else {
        server_fd_ = listen_loopback(port);  // the connection takes its number
    }
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork");
    if (pid_ == 0) {
        alarm(20);  // nothing a test does takes this long
        if (client_fd_ >= 0)
            ::close(client_fd_);
        if (transport == Transport::loopback_tcp) {
            const int connection = accept(server_fd_, nullptr, nullptr);
            if (connection < 0 || dup2(connection, server_fd_) < 0)
                std::exit(kReturned + 1);
            ::close(connection);
        }
        dup2(err_fd_, 2);
        verbose = verbose_mode ? 1 : 0;
        ServicePeer(server_fd_, table);
        std::exit(kReturned);
    }
    if (transport == Transport::loopback_tcp)
        client_fd_ = peerclient::dial_loopback(port);
    ::close(server_fd_);
}

ServedPeer::~ServedPeer()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (client_fd_ >= 0)
        ::close(client_fd_);
    ::close(err_fd_);
}

peerclient::Connection ServedPeer::connect(peerclient::ByteOrder order)
{
    const int fd = client_fd_;
    client_fd_ = -1;
    return peerclient::Connection(fd, order);
}

Ending wait_for_exit(pid_t pid, std::chrono::milliseconds limit, pid_t kill_on_timeout)
{
    Ending ending;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ending.timed_out = true;
            kill(kill_on_timeout, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(status))
        ending.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        ending.signal = WTERMSIG(status);
    return ending;
}

Ending ServedPeer::wait(std::chrono::milliseconds limit)
{
    Ending ending = wait_for_exit(pid_, limit, pid_);
    pid_ = -1;
    ending.raw_err = contents(err_fd_);
    ending.err = without_elapsed(ending.raw_err);
    return ending;
}

CodeTable table_with(std::initializer_list<OperationFamily> families)
{
    std::vector<OperationFamily> all{ConnectionOperations()};
    all.insert(all.end(), families);
    const std::optional<CodeTable> table = BuildCodeTable(all);
    if (!table)
        throw std::logic_error("test operations clash");
    return *table;
}

}  // namespace peertest
