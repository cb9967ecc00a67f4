// Plain descriptor reads and writes that survive interruptions. Errors come
// back to the caller with errno intact so it can report them.
#pragma once

#include <cstddef>
#include <span>
#include <sys/types.h>

namespace lng {

// One read call's worth: the bytes read, 0 at end of input, -1 on error.
ssize_t read_some(int fd, std::span<char> buf);

// Keeps reading until buf is full or the input ends, so that data arriving
// in pieces (a pipe fed by several writes) is still seen whole. Never reads
// beyond buf. Returns the bytes read, or -1 on error.
ssize_t read_upto(int fd, std::span<char> buf);

// Writes every byte; false on error.
bool write_all(int fd, std::span<const char> buf);

}  // namespace lng
