// Builds the requests a terminal's client sends, one function a request
// code, each in the byte order the client chose. Words go at 4, 8, ... in
// the order of the parameters; strings follow, each with its NUL.
#pragma once

#include "byteorder.hpp"
#include "wire.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace peerclient {

using Message = std::vector<std::uint8_t>;

// Lays out one message field by field; done() fills in its length. For
// requests of odd shapes that the functions below do not build.
class MessageBuilder {
public:
    MessageBuilder(ByteOrder order, std::uint8_t code);
    MessageBuilder& word(std::uint32_t value);
    MessageBuilder& string(std::string_view text);  // with its NUL
    MessageBuilder& bytes(std::span<const std::uint8_t> data);
    MessageBuilder& bytes(std::string_view data);
    Message done() const;  // throws when longer than a length can say

private:
    ByteOrder order_;
    Message bytes_;
};

// A bare 4-byte header whose length field says whatever the test wants.
Message header(ByteOrder order, std::uint16_t length, std::uint8_t code);

namespace req {

using Args = std::vector<std::string>;

Message connection(ByteOrder o, std::uint32_t version, std::uint32_t cookie,
                   std::uint32_t magic = PEER_MAGIC);
// Requests that carry nothing but their header.
Message header_only(ByteOrder o, RequestCode code);

// Descriptors
Message open(ByteOrder o, std::int32_t wire_flags, std::int32_t mode, std::string_view path);
Message read(ByteOrder o, std::int32_t fd, std::int32_t count);
// count defaults to the data's size
Message write(ByteOrder o, std::int32_t fd, std::string_view data,
              std::optional<std::int32_t> count = std::nullopt);
Message lseek(ByteOrder o, std::int32_t fd, std::int32_t offset, std::int32_t whence);
Message close(ByteOrder o, std::int32_t fd);
Message dup2(ByteOrder o, std::int32_t old_fd, std::int32_t new_fd);
Message peerpipe(ByteOrder o, std::int32_t port);
Message fchmod(ByteOrder o, std::int32_t fd, std::int32_t mode);
Message fsync(ByteOrder o, std::int32_t fd);
Message ftruncate(ByteOrder o, std::int32_t fd, std::int32_t length);

// Directories and paths
Message opendir(ByteOrder o, std::string_view path);
Message readdir(ByteOrder o, std::uint32_t handle);
Message rewinddir(ByteOrder o, std::uint32_t handle);
Message closedir(ByteOrder o, std::uint32_t handle);
Message access(ByteOrder o, std::int32_t wire_mode, std::string_view path);
Message stat(ByteOrder o, std::string_view path);
Message lstat(ByteOrder o, std::string_view path);
Message fstat(ByteOrder o, std::int32_t fd);
Message link(ByteOrder o, std::string_view existing, std::string_view new_path);
Message symlink(ByteOrder o, std::string_view contents, std::string_view link_path);
Message unlink(ByteOrder o, std::string_view path);
Message mkdir(ByteOrder o, std::int32_t mode, std::string_view path);
Message rmdir(ByteOrder o, std::string_view path);
Message chmod(ByteOrder o, std::int32_t mode, std::string_view path);
Message chdir(ByteOrder o, std::string_view path);
Message readlink(ByteOrder o, std::string_view path);
Message rename(ByteOrder o, std::string_view old_path, std::string_view new_path);
Message truncate(ByteOrder o, std::int32_t length, std::string_view path);
Message statvfs(ByteOrder o, std::string_view path);

// Environment, identity and host
Message setenv(ByteOrder o, const Args& strings);  // each NAME=value
Message setuid(ByteOrder o, std::int32_t uid);
Message setgid(ByteOrder o, std::int32_t gid);
Message gethostbyname(ByteOrder o, std::string_view name);
// The address bytes follow the type and length words, at offset 12.
Message gethostbyaddr(ByteOrder o, std::int32_t type, std::span<const std::uint8_t> address);
Message getservbyname(ByteOrder o, std::string_view service, std::string_view protocol);
Message getpwuid(ByteOrder o, std::int32_t uid);
Message getpwnam(ByteOrder o, std::string_view name);

// Processes; counts default to the number of strings given
Message forknexec(ByteOrder o, std::string_view path, const Args& args,
                  std::optional<std::int32_t> count = std::nullopt);
Message execvp(ByteOrder o, std::string_view file, const Args& args,
               std::optional<std::int32_t> count = std::nullopt);
Message execve(ByteOrder o, std::string_view path, const Args& args, const Args& env);
Message exit(ByteOrder o, std::int32_t status);
Message setpgid(ByteOrder o, std::int32_t pid, std::int32_t pgid);
Message waitpid(ByteOrder o, std::int32_t pid, std::int32_t options);
Message kill(ByteOrder o, std::int32_t pid, std::int32_t signal);

}  // namespace req
}  // namespace peerclient
