#include "connection.hpp"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace peerclient {
namespace {

std::runtime_error system_error(const char* what)
{
    return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

// False when the limit passed before fd became readable.
bool wait_readable(int fd, std::chrono::milliseconds limit)
{
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const int n = poll(&p, 1, static_cast<int>(limit.count()));
        if (n >= 0)
            return n > 0;
        if (errno != EINTR)
            throw system_error("poll");
    }
}

}  // namespace

Connection::Connection(int fd, ByteOrder order, std::chrono::milliseconds limit)
    : fd_(fd), order_(order), limit_(limit)
{
}

Connection::~Connection()
{
    close();
}

void Connection::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void Connection::shutdown_sending()
{
    ::shutdown(fd_, SHUT_WR);
}

void Connection::send(std::span<const std::uint8_t> bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw system_error("send to peer");
        sent += static_cast<std::size_t>(n);
    }
}

void Connection::read_exactly(std::uint8_t* out, std::size_t count)
{
    std::size_t got = 0;
    while (got < count) {
        if (!wait_readable(fd_, limit_))
            throw std::runtime_error("no reply from peer in time");
        const ssize_t n = ::read(fd_, out + got, count - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == ECONNRESET)
            throw ConnectionClosed();
        if (n < 0)
            throw system_error("read from peer");
        if (n == 0)
            throw ConnectionClosed();
        got += static_cast<std::size_t>(n);
    }
}

Reply Connection::receive()
{
    std::vector<std::uint8_t> bytes(kHeaderSize);
    read_exactly(bytes.data(), kHeaderSize);
    const std::size_t length = get(order_, bytes.data(), 2);
    if (length > kMessageSize)
        throw std::runtime_error("peer reply length " + std::to_string(length) + " beyond the limit");
    if (length > kHeaderSize) {
        bytes.resize(length);
        read_exactly(bytes.data() + kHeaderSize, length - kHeaderSize);
    }
    return Reply(order_, std::move(bytes));
}

ConnectionReply Connection::handshake(std::uint32_t version, std::uint32_t cookie)
{
    const ConnectionReply reply = call(req::connection(order_, version, cookie)).connection();
    if (reply.magic != PEER_MAGIC)
        throw std::runtime_error("peer answered the connection request without its magic");
    return reply;
}

bool Connection::wait_closed()
{
    std::uint8_t sink[4096];
    for (;;) {
        if (!wait_readable(fd_, limit_))
            return false;
        const ssize_t n = ::read(fd_, sink, sizeof sink);
        if (n == 0 || (n < 0 && errno == ECONNRESET))
            return true;
        if (n < 0 && errno != EINTR)
            throw system_error("read from peer");
    }
}

int dial_loopback(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw system_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const auto error = system_error("connect to peer");
        ::close(fd);
        throw error;
    }
    return fd;
}

}  // namespace peerclient
