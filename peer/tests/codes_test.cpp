// The table of request codes against the client library, which knows each
// request's and reply's layout independently: a message built in the other
// byte order and converted by the table must be the message built in the
// host's order.
#include "codes.hpp"
#include "connection.hpp"
#include "service.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

namespace {

using namespace peerclient;

const ByteOrder kHost = host_order();
const ByteOrder kOther = other_order(kHost);

using Build = std::function<Message(ByteOrder)>;

// One sample of every request, with words that read differently reversed.
const std::map<std::uint8_t, Build>& requests()
{
    using namespace req;
    const std::vector<std::uint8_t> address = {127, 0, 0, 1};
    static const std::map<std::uint8_t, Build> samples = {
        {REQ_CONNECTION, [](ByteOrder o) { return connection(o, 2, 0x01020304); }},
        {REQ_OPEN, [](ByteOrder o) { return open(o, 0x601, 0644, "/tmp/f"); }},
        {REQ_READ, [](ByteOrder o) { return read(o, 5, 70000); }},
        {REQ_WRITE, [](ByteOrder o) { return write(o, 5, "data\1\2\3\4"); }},
        {REQ_LSEEK, [](ByteOrder o) { return lseek(o, 5, -300, 2); }},
        {REQ_CLOSE, [](ByteOrder o) { return close(o, 258); }},
        {REQ_OPENDIR, [](ByteOrder o) { return opendir(o, "/etc"); }},
        {REQ_READDIR, [](ByteOrder o) { return readdir(o, 0x10203); }},
        {REQ_REWINDDIR, [](ByteOrder o) { return rewinddir(o, 0x10203); }},
        {REQ_CLOSEDIR, [](ByteOrder o) { return closedir(o, 0x10203); }},
        {REQ_GETENV, [](ByteOrder o) { return header_only(o, REQ_GETENV); }},
        {REQ_GETTIMEOFDAY, [](ByteOrder o) { return header_only(o, REQ_GETTIMEOFDAY); }},
        {REQ_GETUID, [](ByteOrder o) { return header_only(o, REQ_GETUID); }},
        {REQ_GETGID, [](ByteOrder o) { return header_only(o, REQ_GETGID); }},
        {REQ_GETEUID, [](ByteOrder o) { return header_only(o, REQ_GETEUID); }},
        {REQ_GETEGID, [](ByteOrder o) { return header_only(o, REQ_GETEGID); }},
        {REQ_ACCESS, [](ByteOrder o) { return access(o, 5, "/bin/sh"); }},
        {REQ_STAT, [](ByteOrder o) { return stat(o, "/tmp"); }},
        {REQ_LINK, [](ByteOrder o) { return link(o, "a", "b"); }},
        {REQ_UNLINK, [](ByteOrder o) { return unlink(o, "a"); }},
        {REQ_MKDIR, [](ByteOrder o) { return mkdir(o, 0755, "d"); }},
        {REQ_RMDIR, [](ByteOrder o) { return rmdir(o, "d"); }},
        {REQ_FORKNEXEC, [](ByteOrder o) { return forknexec(o, "/bin/echo", {"echo", "hi"}); }},
        {REQ_CHMOD, [](ByteOrder o) { return chmod(o, 0600, "f"); }},
        {REQ_GETCWD, [](ByteOrder o) { return header_only(o, REQ_GETCWD); }},
        {REQ_CHDIR, [](ByteOrder o) { return chdir(o, "/"); }},
        {REQ_GETLOGIN, [](ByteOrder o) { return header_only(o, REQ_GETLOGIN); }},
        {REQ_GETHOSTNAME, [](ByteOrder o) { return header_only(o, REQ_GETHOSTNAME); }},
        {REQ_GETHOSTBYNAME, [](ByteOrder o) { return gethostbyname(o, "localhost"); }},
        {REQ_GETHOSTBYADDR, [address](ByteOrder o) { return gethostbyaddr(o, 2, address); }},
        {REQ_SYMLINK, [](ByteOrder o) { return symlink(o, "target", "link"); }},
        {REQ_LSTAT, [](ByteOrder o) { return lstat(o, "link"); }},
        {REQ_READLINK, [](ByteOrder o) { return readlink(o, "link"); }},
        {REQ_FSTAT, [](ByteOrder o) { return fstat(o, 3); }},
        {REQ_SETENV, [](ByteOrder o) { return setenv(o, {"TERM=xterm", "A=1"}); }},
        {REQ_FORK, [](ByteOrder o) { return header_only(o, REQ_FORK); }},
        {REQ_EXECVE, [](ByteOrder o) { return execve(o, "/bin/env", {"env"}, {"A=1", "B=2"}); }},
        {REQ_EXECVP, [](ByteOrder o) { return execvp(o, "env", {"env", "-i"}); }},
        {REQ__EXIT, [](ByteOrder o) { return exit(o, 3); }},
        {REQ_DUP2, [](ByteOrder o) { return dup2(o, 3, 258); }},
        {REQ_GETSERVBYNAME, [](ByteOrder o) { return getservbyname(o, "telnet", "tcp"); }},
        {REQ_PEERPIPE, [](ByteOrder o) { return peerpipe(o, 6000); }},
        {REQ_SETPGID, [](ByteOrder o) { return setpgid(o, 1234, 5678); }},
        {REQ_SETSID, [](ByteOrder o) { return header_only(o, REQ_SETSID); }},
        {REQ_GETPGRP, [](ByteOrder o) { return header_only(o, REQ_GETPGRP); }},
        {REQ_GETPID, [](ByteOrder o) { return header_only(o, REQ_GETPID); }},
        {REQ_GETPPID, [](ByteOrder o) { return header_only(o, REQ_GETPPID); }},
        {REQ_WAITPID, [](ByteOrder o) { return waitpid(o, -1, 1); }},
        {REQ_KILL, [](ByteOrder o) { return kill(o, 1234, 15); }},
        {REQ_FCHMOD, [](ByteOrder o) { return fchmod(o, 3, 0640); }},
        {REQ_FSYNC, [](ByteOrder o) { return fsync(o, 3); }},
        {REQ_STATVFS, [](ByteOrder o) { return statvfs(o, "/"); }},
        {REQ_TRUNCATE, [](ByteOrder o) { return truncate(o, 1000, "f"); }},
        {REQ_FTRUNCATE, [](ByteOrder o) { return ftruncate(o, 3, 1000); }},
        {REQ_SETUID, [](ByteOrder o) { return setuid(o, 1000); }},
        {REQ_SETGID, [](ByteOrder o) { return setgid(o, 1000); }},
        {REQ_THREADED, [](ByteOrder o) { return header_only(o, REQ_THREADED); }},
        {REQ_GETPWUID, [](ByteOrder o) { return getpwuid(o, 1000); }},
        {REQ_GETPWNAM, [](ByteOrder o) { return getpwnam(o, "root"); }},
        {REQ_RENAME, [](ByteOrder o) { return rename(o, "old", "new"); }},
    };
    return samples;
}

template <typename T>
std::function<bool(const Reply&, const Reply&)> same(T (Reply::*decode)() const)
{
    return [decode](const Reply& a, const Reply& b) { return (a.*decode)() == (b.*decode)(); };
}

// How the client reads each reply.
const std::map<std::uint8_t, std::function<bool(const Reply&, const Reply&)>>& decoders()
{
    static const auto status = same(&Reply::status);
    static const auto stat = same(&Reply::stat);
    static const auto id = same(&Reply::id);
    static const auto header_only = same(&Reply::length);
    static const std::map<std::uint8_t, std::function<bool(const Reply&, const Reply&)>> table = {
        {REQ_CONNECTION, same(&Reply::connection)}, {REQ_OPEN, status}, {REQ_READ, same(&Reply::read)},
        {REQ_WRITE, status}, {REQ_LSEEK, status}, {REQ_CLOSE, status}, {REQ_OPENDIR, status},
        {REQ_READDIR, same(&Reply::readdir)}, {REQ_REWINDDIR, status}, {REQ_CLOSEDIR, status},
        {REQ_GETENV, same(&Reply::getenv)}, {REQ_GETTIMEOFDAY, same(&Reply::gettimeofday)},
        {REQ_GETUID, id}, {REQ_GETGID, id}, {REQ_GETEUID, id}, {REQ_GETEGID, id},
        {REQ_ACCESS, status}, {REQ_STAT, stat}, {REQ_LINK, status}, {REQ_UNLINK, status},
        {REQ_MKDIR, status}, {REQ_RMDIR, status}, {REQ_FORKNEXEC, status}, {REQ_CHMOD, status},
        {REQ_GETCWD, same(&Reply::getcwd)}, {REQ_CHDIR, status}, {REQ_GETLOGIN, same(&Reply::name)},
        {REQ_GETHOSTNAME, same(&Reply::name)}, {REQ_GETHOSTBYNAME, same(&Reply::host)},
        {REQ_GETHOSTBYADDR, same(&Reply::host)}, {REQ_SYMLINK, status}, {REQ_LSTAT, stat},
        {REQ_READLINK, same(&Reply::readlink)}, {REQ_FSTAT, stat}, {REQ_SETENV, header_only},
        {REQ_FORK, status}, {REQ_EXECVE, status}, {REQ_EXECVP, status}, {REQ__EXIT, header_only},
        {REQ_DUP2, status}, {REQ_GETSERVBYNAME, same(&Reply::service)}, {REQ_PEERPIPE, status},
        {REQ_SETPGID, status}, {REQ_SETSID, status}, {REQ_GETPGRP, status}, {REQ_GETPID, status},
        {REQ_GETPPID, status}, {REQ_WAITPID, same(&Reply::waitpid)}, {REQ_KILL, status},
        {REQ_FCHMOD, status}, {REQ_FSYNC, status}, {REQ_STATVFS, same(&Reply::statvfs)},
        {REQ_TRUNCATE, status}, {REQ_FTRUNCATE, status}, {REQ_SETUID, status}, {REQ_SETGID, status},
        {REQ_THREADED, status}, {REQ_GETPWUID, same(&Reply::user)}, {REQ_GETPWNAM, same(&Reply::user)},
        {REQ_RENAME, status},
    };
    return table;
}

bool assigned(std::size_t code)
{
    return !kProtocolCodes[code].name.empty();
}

template <typename M>
void load(M& message, const std::vector<std::uint8_t>& bytes)
{
    std::copy(bytes.begin(), bytes.end(), message.bytes().begin());
}

TEST(CodeTable, EveryAssignedCodeHasASampleAndADecoder)
{
    for (std::size_t code = 0; code < kCodeCount; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(requests().count(static_cast<std::uint8_t>(code)), assigned(code) ? 1u : 0u);
        EXPECT_EQ(decoders().count(static_cast<std::uint8_t>(code)), assigned(code) ? 1u : 0u);
    }
    EXPECT_FALSE(assigned(4));
}

TEST(CodeTable, ConvertedRequestIsTheRequestInHostOrder)
{
    for (const auto& [code, build] : requests()) {
        SCOPED_TRACE(kProtocolCodes[code].name);
        const Message theirs = build(kOther);
        const Message ours = build(kHost);
        ASSERT_EQ(theirs.size(), ours.size());
        PeerRequest request;
        load(request, theirs);
        SwapRequest(request, kProtocolCodes);
        EXPECT_TRUE(std::equal(ours.begin(), ours.end(), request.bytes().begin()));
    }
}

// A reply in host order whose every word reads differently reversed, with a
// few NULs among the later bytes to end strings.
std::vector<std::uint8_t> sample_reply(std::uint8_t code)
{
    std::vector<std::uint8_t> bytes(68);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    for (std::size_t nul : {30, 41, 50, 57, 63})
        bytes[nul] = 0;
    const std::uint16_t length = static_cast<std::uint16_t>(bytes.size());
    std::memcpy(bytes.data(), &length, sizeof length);
    bytes[2] = code;
    return bytes;
}

TEST(CodeTable, ConvertedReplyReadsInTheClientsOrderAsInTheHosts)
{
    for (const auto& [code, equal] : decoders()) {
        SCOPED_TRACE(kProtocolCodes[code].name);
        const std::vector<std::uint8_t> ours = sample_reply(code);
        PeerReply reply;
        load(reply, ours);
        SwapReply(reply, kProtocolCodes);
        const auto converted = reply.bytes().first(ours.size());
        const Reply theirs(kOther, {converted.begin(), converted.end()});
        EXPECT_EQ(theirs.length(), ours.size());
        EXPECT_TRUE(equal(Reply(kHost, ours), theirs));
    }
}

TEST(CodeTable, RequestUnderAnUnassignedCodeHasOnlyItsLengthConverted)
{
    for (std::uint8_t code : {4, 61, 255}) {
        SCOPED_TRACE(int{code});
        PeerRequest request;
        request.set_length(swaps(12));
        request.set_code(code);
        request.set_word(4, 0x01020304u);
        request.set_word(8, 0x05060708u);
        SwapRequest(request, kProtocolCodes);
        EXPECT_EQ(request.length(), 12);
        EXPECT_EQ(request.word(4), 0x01020304u);
        EXPECT_EQ(request.word(8), 0x05060708u);
    }
}

void nothing(int, PeerRequest&, PeerReply&) {}

TEST(CodeTable, FamiliesInstallOnlyOnAssignedCodesAndOnlyOnce)
{
    constexpr OperationEntry open_and_read[] = {{REQ_OPEN, nothing}, {REQ_READ, nothing}};
    constexpr OperationEntry open_again[] = {{REQ_OPEN, nothing}};
    constexpr OperationEntry code_4[] = {{4, nothing}};
    constexpr OperationEntry code_61[] = {{61, nothing}};

    const OperationFamily good[] = {ConnectionOperations(), open_and_read};
    const std::optional<CodeTable> table = BuildCodeTable(good);
    ASSERT_TRUE(table);
    for (std::size_t code = 0; code < kCodeCount; ++code) {
        const bool installed = code == REQ_CONNECTION || code == REQ_OPEN || code == REQ_READ;
        EXPECT_EQ((*table)[code].operation != nullptr, installed) << code;
        EXPECT_EQ((*table)[code].reply_words, kProtocolCodes[code].reply_words);
    }

    struct Bad {
        OperationFamily second;
        const char* err;
    };
    for (const Bad& bad : {Bad{open_again, "internal error, two operations installed for request code 1\n"},
                           Bad{code_4, "internal error, operation installed for unassigned request code 4\n"},
                           Bad{code_61, "internal error, operation installed for unassigned request code 61\n"}}) {
        const OperationFamily families[] = {open_and_read, bad.second};
        testing::internal::CaptureStderr();
        EXPECT_FALSE(BuildCodeTable(families));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), bad.err);
    }
}

}  // namespace
