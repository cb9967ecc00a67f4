#include "requests.hpp"

#include <stdexcept>

namespace peerclient {

MessageBuilder::MessageBuilder(ByteOrder order, std::uint8_t code) : order_(order), bytes_(kHeaderSize)
{
    bytes_[2] = code;
}

MessageBuilder& MessageBuilder::word(std::uint32_t value)
{
    const std::size_t at = bytes_.size();
    bytes_.resize(at + 4);
    put(order_, &bytes_[at], value, 4);
    return *this;
}

MessageBuilder& MessageBuilder::string(std::string_view text)
{
    bytes(text);
    bytes_.push_back(0);
    return *this;
}

MessageBuilder& MessageBuilder::bytes(std::span<const std::uint8_t> data)
{
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
}

MessageBuilder& MessageBuilder::bytes(std::string_view data)
{
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
}

Message MessageBuilder::done() const
{
    if (bytes_.size() > 0xffff)
        throw std::length_error("peer request longer than its length field can say");
    Message message = bytes_;
    put(order_, message.data(), static_cast<std::uint32_t>(message.size()), 2);
    return message;
}

Message header(ByteOrder order, std::uint16_t length, std::uint8_t code)
{
    Message message(kHeaderSize);
    put(order, message.data(), length, 2);
    message[2] = code;
    return message;
}

namespace req {
namespace {

using B = MessageBuilder;

std::uint32_t u(std::int32_t value)
{
    return static_cast<std::uint32_t>(value);
}

std::int32_t count_of(const Args& strings, std::optional<std::int32_t> count)
{
    return count.value_or(static_cast<std::int32_t>(strings.size()));
}

B& strings(B& builder, const Args& list)
{
    for (const std::string& s : list)
        builder.string(s);
    return builder;
}

Message words(ByteOrder o, RequestCode code, std::initializer_list<std::int32_t> values)
{
    B builder(o, code);
    for (std::int32_t value : values)
        builder.word(u(value));
    return builder.done();
}

Message path_only(ByteOrder o, RequestCode code, std::string_view path)
{
    return B(o, code).string(path).done();
}

Message word_and_path(ByteOrder o, RequestCode code, std::int32_t value, std::string_view path)
{
    return B(o, code).word(u(value)).string(path).done();
}

Message two_paths(ByteOrder o, RequestCode code, std::string_view first, std::string_view second)
{
    return B(o, code).string(first).string(second).done();
}

}  // namespace

Message connection(ByteOrder o, std::uint32_t version, std::uint32_t cookie, std::uint32_t magic)
{
    return B(o, REQ_CONNECTION).word(magic).word(version).word(cookie).done();
}

Message header_only(ByteOrder o, RequestCode code)
{
    return B(o, code).done();
}

Message open(ByteOrder o, std::int32_t wire_flags, std::int32_t mode, std::string_view path)
{
    return B(o, REQ_OPEN).word(u(wire_flags)).word(u(mode)).string(path).done();
}

Message read(ByteOrder o, std::int32_t fd, std::int32_t count)
{
    return words(o, REQ_READ, {fd, count});
}

Message write(ByteOrder o, std::int32_t fd, std::string_view data, std::optional<std::int32_t> count)
{
    const std::int32_t n = count.value_or(static_cast<std::int32_t>(data.size()));
    return B(o, REQ_WRITE).word(u(fd)).word(u(n)).bytes(data).done();
}

Message lseek(ByteOrder o, std::int32_t fd, std::int32_t offset, std::int32_t whence)
{
    return words(o, REQ_LSEEK, {fd, offset, whence});
}

Message close(ByteOrder o, std::int32_t fd) { return words(o, REQ_CLOSE, {fd}); }
Message dup2(ByteOrder o, std::int32_t old_fd, std::int32_t new_fd)
{
    return words(o, REQ_DUP2, {old_fd, new_fd});
}
Message peerpipe(ByteOrder o, std::int32_t port) { return words(o, REQ_PEERPIPE, {port}); }
Message fchmod(ByteOrder o, std::int32_t fd, std::int32_t mode) { return words(o, REQ_FCHMOD, {fd, mode}); }
Message fsync(ByteOrder o, std::int32_t fd) { return words(o, REQ_FSYNC, {fd}); }
Message ftruncate(ByteOrder o, std::int32_t fd, std::int32_t length)
{
    return words(o, REQ_FTRUNCATE, {fd, length});
}

Message opendir(ByteOrder o, std::string_view path) { return path_only(o, REQ_OPENDIR, path); }
Message readdir(ByteOrder o, std::uint32_t handle) { return B(o, REQ_READDIR).word(handle).done(); }
Message rewinddir(ByteOrder o, std::uint32_t handle) { return B(o, REQ_REWINDDIR).word(handle).done(); }
Message closedir(ByteOrder o, std::uint32_t handle) { return B(o, REQ_CLOSEDIR).word(handle).done(); }
Message access(ByteOrder o, std::int32_t wire_mode, std::string_view path)
{
    return word_and_path(o, REQ_ACCESS, wire_mode, path);
}
Message stat(ByteOrder o, std::string_view path) { return path_only(o, REQ_STAT, path); }
Message lstat(ByteOrder o, std::string_view path) { return path_only(o, REQ_LSTAT, path); }
Message fstat(ByteOrder o, std::int32_t fd) { return words(o, REQ_FSTAT, {fd}); }
Message link(ByteOrder o, std::string_view existing, std::string_view new_path)
{
    return two_paths(o, REQ_LINK, existing, new_path);
}
Message symlink(ByteOrder o, std::string_view contents, std::string_view link_path)
{
    return two_paths(o, REQ_SYMLINK, contents, link_path);
}
Message unlink(ByteOrder o, std::string_view path) { return path_only(o, REQ_UNLINK, path); }
Message mkdir(ByteOrder o, std::int32_t mode, std::string_view path)
{
    return word_and_path(o, REQ_MKDIR, mode, path);
}
Message rmdir(ByteOrder o, std::string_view path) { return path_only(o, REQ_RMDIR, path); }
Message chmod(ByteOrder o, std::int32_t mode, std::string_view path)
{
    return word_and_path(o, REQ_CHMOD, mode, path);
}
Message chdir(ByteOrder o, std::string_view path) { return path_only(o, REQ_CHDIR, path); }
Message readlink(ByteOrder o, std::string_view path) { return path_only(o, REQ_READLINK, path); }
Message rename(ByteOrder o, std::string_view old_path, std::string_view new_path)
{
    return two_paths(o, REQ_RENAME, old_path, new_path);
}
Message truncate(ByteOrder o, std::int32_t length, std::string_view path)
{
    return word_and_path(o, REQ_TRUNCATE, length, path);
}
Message statvfs(ByteOrder o, std::string_view path) { return path_only(o, REQ_STATVFS, path); }

Message setenv(ByteOrder o, const Args& list)
{
    std::size_t size = 0;
    for (const std::string& s : list)
        size += s.size() + 1;
    B builder(o, REQ_SETENV);
    builder.word(static_cast<std::uint32_t>(size));
    return strings(builder, list).done();
}
Message setuid(ByteOrder o, std::int32_t uid) { return words(o, REQ_SETUID, {uid}); }
Message setgid(ByteOrder o, std::int32_t gid) { return words(o, REQ_SETGID, {gid}); }
Message gethostbyname(ByteOrder o, std::string_view name) { return path_only(o, REQ_GETHOSTBYNAME, name); }
Message gethostbyaddr(ByteOrder o, std::int32_t type, std::span<const std::uint8_t> address)
{
    return B(o, REQ_GETHOSTBYADDR)
        .word(u(type))
        .word(static_cast<std::uint32_t>(address.size()))
        .bytes(address)
        .done();
}
Message getservbyname(ByteOrder o, std::string_view service, std::string_view protocol)
{
    return two_paths(o, REQ_GETSERVBYNAME, service, protocol);
}
Message getpwuid(ByteOrder o, std::int32_t uid) { return words(o, REQ_GETPWUID, {uid}); }
Message getpwnam(ByteOrder o, std::string_view name) { return path_only(o, REQ_GETPWNAM, name); }

Message forknexec(ByteOrder o, std::string_view path, const Args& args, std::optional<std::int32_t> count)
{
    B builder(o, REQ_FORKNEXEC);
    builder.word(u(count_of(args, count))).string(path);
    return strings(builder, args).done();
}
Message execvp(ByteOrder o, std::string_view file, const Args& args, std::optional<std::int32_t> count)
{
    B builder(o, REQ_EXECVP);
    builder.word(u(count_of(args, count))).string(file);
    return strings(builder, args).done();
}
Message execve(ByteOrder o, std::string_view path, const Args& args, const Args& env)
{
    B builder(o, REQ_EXECVE);
    builder.word(u(count_of(args, {}))).word(u(count_of(env, {}))).string(path);
    strings(builder, args);
    return strings(builder, env).done();
}
Message exit(ByteOrder o, std::int32_t status) { return words(o, REQ__EXIT, {status}); }
Message setpgid(ByteOrder o, std::int32_t pid, std::int32_t pgid) { return words(o, REQ_SETPGID, {pid, pgid}); }
Message waitpid(ByteOrder o, std::int32_t pid, std::int32_t options)
{
    return words(o, REQ_WAITPID, {pid, options});
}
Message kill(ByteOrder o, std::int32_t pid, std::int32_t signal) { return words(o, REQ_KILL, {pid, signal}); }

}  // namespace req
}  // namespace peerclient
