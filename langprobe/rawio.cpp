#include "rawio.hpp"

#include <cerrno>
#include <unistd.h>

namespace lng {

ssize_t read_some(int fd, std::span<char> buf)
{
    for (;;) {
        const ssize_t got = ::read(fd, buf.data(), buf.size());
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

ssize_t read_upto(int fd, std::span<char> buf)
{
    std::size_t have = 0;
    while (have < buf.size()) {
        const ssize_t got = read_some(fd, buf.subspan(have));
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(have);
}

bool write_all(int fd, std::span<const char> buf)
{
    while (!buf.empty()) {
        const ssize_t put = ::write(fd, buf.data(), buf.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return false;
        if (put == 0) {
            // Nothing written and no error: retrying could spin forever.
            errno = EIO;
            return false;
        }
        buf = buf.subspan(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace lng
