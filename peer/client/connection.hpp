// The terminal's end of a peer connection: sends requests and receives
// replies in the byte order chosen for the connection, never waiting longer
// than its time limit.
#pragma once

#include "reply.hpp"
#include "requests.hpp"

#include <chrono>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace peerclient {

// The peer closed the connection where a reply was due.
struct ConnectionClosed : std::runtime_error {
    ConnectionClosed() : std::runtime_error("peer closed the connection") {}
};

class Connection {
public:
    // Takes over fd, a connected stream socket, and closes it in the end.
    Connection(int fd, ByteOrder order, std::chrono::milliseconds limit = std::chrono::seconds(10));
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int fd() const { return fd_; }
    ByteOrder order() const { return order_; }

    void send(std::span<const std::uint8_t> bytes);
    // One reply: its header, then the rest of its length.
    Reply receive();
    Reply call(std::span<const std::uint8_t> request)
    {
        send(request);
        return receive();
    }

    // The connection request; throws unless the peer answers with the magic.
    ConnectionReply handshake(std::uint32_t version = kNewestVersion, std::uint32_t cookie = 0x1234);

    // Waits until the peer closes its end, discarding anything it sends
    // first. False when the time limit passed first.
    bool wait_closed();

    void shutdown_sending();
    void close();

private:
    void read_exactly(std::uint8_t* out, std::size_t count);

    int fd_;
    ByteOrder order_;
    std::chrono::milliseconds limit_;
};

// A TCP connection to the peer listening on the loopback port.
int dial_loopback(std::uint16_t port);

}  // namespace peerclient
