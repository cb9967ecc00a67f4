// Exact-length transfers for the connection, the descriptors the client
// names and the control pipes. Both absorb interruptions by signals.
#pragma once

#include <cstdint>
#include <span>

// Reads count bytes unless end of file or an error comes first. Returns the
// bytes read: count, fewer at end of file (0 when the file ended at once),
// or -1 when an error came before any byte. A count of 0 or less returns 0.
// Each read is preceded by an unlimited wait for the descriptor to become
// readable.
int local_readx(int fd, void* buffer, int count);

// Writes count bytes unless a write fails. Returns count, the bytes written
// before a failure, or -1 when the first write failed. A count of 0 or less
// returns 0. A socket whose other end has gone fails with EPIPE instead of
// raising SIGPIPE.
int local_writex(int fd, const void* buffer, int count);

inline int local_readx(int fd, std::span<std::uint8_t> buffer)
{
    return local_readx(fd, buffer.data(), static_cast<int>(buffer.size()));
}

inline int local_writex(int fd, std::span<const std::uint8_t> buffer)
{
    return local_writex(fd, buffer.data(), static_cast<int>(buffer.size()));
}
