#include "transfer.hpp"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Waits until fd is readable. poll rather than select: the client may name
// any descriptor, and select cannot take one beyond FD_SETSIZE. A failed
// wait, or a descriptor poll cannot watch, leaves the verdict to the read.
void wait_readable(int fd)
{
    if (fd < 0)
        return;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

// One write; on a socket, one whose other end has gone reports EPIPE rather
// than ending the process with SIGPIPE.
ssize_t write_some(int fd, const std::uint8_t* data, std::size_t size, bool& socket)
{
    if (socket) {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n >= 0 || errno != ENOTSOCK)
            return n;
        socket = false;
    }
    return write(fd, data, size);
}

}  // namespace

int local_readx(int fd, void* buffer, int count)
{
    if (count <= 0)
        return 0;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    int total = 0;
    while (total < count) {
        wait_readable(fd);
        const ssize_t n = read(fd, bytes + total, static_cast<std::size_t>(count - total));
        if (n > 0) {
            total += static_cast<int>(n);
            continue;
        }
        if (n == 0)
            return total;
        if (errno != EINTR)
            return total > 0 ? total : -1;
    }
    return total;
}

int local_writex(int fd, const void* buffer, int count)
{
    if (count <= 0)
        return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    bool socket = true;
    int total = 0;
    while (total < count) {
        const ssize_t n = write_some(fd, bytes + total, static_cast<std::size_t>(count - total), socket);
        if (n > 0) {
            total += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return total > 0 ? total : -1;
    }
    return total;
}
