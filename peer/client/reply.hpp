// Decodes the replies a terminal's client receives, in its byte order.
// Every decoder stays inside the bytes received: a word beyond them is an
// error, a string or list that runs off the end is cut there.
#pragma once

#include "byteorder.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace peerclient {

struct ConnectionReply {
    std::uint32_t magic, version, cookie;
    bool operator==(const ConnectionReply&) const = default;
};

// The usual pair at offsets 4 and 8.
struct Status {
    std::int32_t result, errnum;
    bool operator==(const Status&) const = default;
};

// A status followed by returned bytes (read data, a name, a path).
struct DataReply {
    std::int32_t result, errnum;
    std::string data;
    bool operator==(const DataReply&) const = default;
};

struct EnvReply {
    std::int32_t size;
    std::vector<std::string> strings;
    bool operator==(const EnvReply&) const = default;
};

struct TimeReply {
    std::int32_t result, errnum, seconds, microseconds, minuteswest, dsttime;
    bool operator==(const TimeReply&) const = default;
};

struct StatReply {
    std::int32_t result, errnum;
    std::uint32_t mode, ino, dev, nlink, uid, gid, size, atime, mtime, ctime;
    bool operator==(const StatReply&) const = default;
};

struct StatvfsReply {
    std::int32_t result, errnum;
    std::uint32_t bavail, bfree, blocks, bsize, ffree, files;
    std::uint32_t spare[3];
    bool operator==(const StatvfsReply&) const = default;
};

struct HostEntry {
    std::int32_t result, alias_count, address_count, address_length, address_type;
    std::string name;
    std::vector<std::string> aliases;
    std::vector<std::string> addresses;  // each address_length raw bytes
    bool operator==(const HostEntry&) const = default;
};

struct ServiceEntry {
    std::int32_t port, alias_count, result, errnum;
    std::string name, protocol;
    std::vector<std::string> aliases;
    bool operator==(const ServiceEntry&) const = default;
};

struct UserEntry {
    std::int32_t result, errnum, uid, gid;
    std::string name, password, gecos, home, shell;
    bool operator==(const UserEntry&) const = default;
};

struct WaitReply {
    std::int32_t result, errnum, status;
    bool operator==(const WaitReply&) const = default;
};

class Reply {
public:
    Reply(ByteOrder order, std::vector<std::uint8_t> bytes);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::uint16_t length() const;
    std::uint8_t code() const;
    std::uint32_t word(std::size_t offset) const;  // throws beyond the bytes
    std::int32_t sword(std::size_t offset) const { return static_cast<std::int32_t>(word(offset)); }

    ConnectionReply connection() const;
    Status status() const;
    DataReply read() const;      // result bytes of data from 12
    DataReply readlink() const;  // result bytes of link text from 12
    DataReply readdir() const;   // the entry's name when result is 0
    DataReply getcwd() const;    // the path when result is not 0
    EnvReply getenv() const;
    TimeReply gettimeofday() const;
    std::int32_t id() const;  // getuid, getgid, geteuid, getegid
    std::string name() const; // getlogin, gethostname: up to 64 bytes from 4
    StatReply stat() const;   // stat, lstat, fstat
    StatvfsReply statvfs() const;
    HostEntry host() const;   // gethostbyname, gethostbyaddr
    ServiceEntry service() const;
    UserEntry user() const;   // getpwuid, getpwnam
    WaitReply waitpid() const;

private:
    std::string text(std::size_t offset, std::size_t limit) const;
    std::string string_at(std::size_t& offset) const;
    std::vector<std::string> strings_at(std::size_t& offset, std::int64_t count) const;
    std::string bytes_at(std::size_t offset, std::int64_t count) const;

    ByteOrder order_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace peerclient
