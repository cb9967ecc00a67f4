// Numbers both ends of a peer connection agree on: message sizes, the
// connection request's magic and the request codes. Shared by the peer and
// by the terminal-side client library, so it holds nothing but constants.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kMessageSize = 65520;  // largest message either way
inline constexpr std::size_t kHeaderSize = 4;
inline constexpr std::size_t kConnectionSize = 16;  // the opening message, both ways
inline constexpr std::uint32_t PEER_MAGIC = 0x2ed76d19;
inline constexpr std::uint32_t kNewestVersion = 2;

enum RequestCode : std::uint8_t {
    REQ_CONNECTION = 0,
    REQ_OPEN = 1,
    REQ_READ = 2,
    REQ_WRITE = 3,
    // 4 is not assigned
    REQ_LSEEK = 5,
    REQ_CLOSE = 6,
    REQ_OPENDIR = 7,
    REQ_READDIR = 8,
    REQ_REWINDDIR = 9,
    REQ_CLOSEDIR = 10,
    REQ_GETENV = 11,
    REQ_GETTIMEOFDAY = 12,
    REQ_GETUID = 13,
    REQ_GETGID = 14,
    REQ_GETEUID = 15,
    REQ_GETEGID = 16,
    REQ_ACCESS = 17,
    REQ_STAT = 18,
    REQ_LINK = 19,
    REQ_UNLINK = 20,
    REQ_MKDIR = 21,
    REQ_RMDIR = 22,
    REQ_FORKNEXEC = 23,
    REQ_CHMOD = 24,
    REQ_GETCWD = 25,
    REQ_CHDIR = 26,
    REQ_GETLOGIN = 27,
    REQ_GETHOSTNAME = 28,
    REQ_GETHOSTBYNAME = 29,
    REQ_GETHOSTBYADDR = 30,
    REQ_SYMLINK = 31,
    REQ_LSTAT = 32,
    REQ_READLINK = 33,
    REQ_FSTAT = 34,
    REQ_SETENV = 35,
    REQ_FORK = 36,
    REQ_EXECVE = 37,
    REQ_EXECVP = 38,
    REQ__EXIT = 39,
    REQ_DUP2 = 40,
    REQ_GETSERVBYNAME = 41,
    REQ_PEERPIPE = 42,
    REQ_SETPGID = 43,
    REQ_SETSID = 44,
    REQ_GETPGRP = 45,
    REQ_GETPID = 46,
    REQ_GETPPID = 47,
    REQ_WAITPID = 48,
    REQ_KILL = 49,
    REQ_FCHMOD = 50,
    REQ_FSYNC = 51,
    REQ_STATVFS = 52,
    REQ_TRUNCATE = 53,
    REQ_FTRUNCATE = 54,
    REQ_SETUID = 55,
    REQ_SETGID = 56,
    REQ_THREADED = 57,
    REQ_GETPWUID = 58,
    REQ_GETPWNAM = 59,
    REQ_RENAME = 60,
};

inline constexpr std::size_t kCodeCount = 61;  // codes 0 to 60
