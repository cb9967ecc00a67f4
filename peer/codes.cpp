#include "codes.hpp"

#include "diagnostics.hpp"
#include "messages.hpp"

#include <cstdlib>

namespace {

constexpr CodeEntry row(std::string_view name, std::uint8_t request_words, std::uint8_t reply_words)
{
    return CodeEntry{name, request_words, reply_words, nullptr};
}

// Words are listed by the offset of the last one converted: 12 stands for
// the words at 4, 8 and 12.
constexpr CodeTable kRows = {
    row("connection", 12, 12),
    row("open", 8, 8),
    row("read", 8, 8),
    row("write", 8, 8),
    row({}, 0, 0),
    row("lseek", 12, 8),
    row("close", 4, 8),
    row("opendir", 0, 8),
    row("readdir", 4, 8),
    row("rewinddir", 4, 8),
    row("closedir", 4, 8),
    row("getenv", 0, 4),
    row("gettimeofday", 0, 24),
    row("getuid", 0, 4),
    row("getgid", 0, 4),
    row("geteuid", 0, 4),
    row("getegid", 0, 4),
    row("access", 4, 8),
    row("stat", 0, 48),
    row("link", 0, 8),
    row("unlink", 0, 8),
    row("mkdir", 4, 8),
    row("rmdir", 0, 8),
    row("forknexec", 4, 8),
    row("chmod", 4, 8),
    row("getcwd", 0, 8),
    row("chdir", 0, 8),
    row("getlogin", 0, 0),
    row("gethostname", 0, 0),
    row("gethostbyname", 0, 20),
    row("gethostbyaddr", 8, 20),
    row("symlink", 0, 8),
    row("lstat", 0, 48),
    row("readlink", 0, 8),
    row("fstat", 4, 48),
    row("setenv", 4, 0),
    row("fork", 0, 8),
    row("execve", 8, 8),
    row("execvp", 4, 8),
    row("_exit", 4, 0),
    row("dup2", 8, 8),
    row("getservbyname", 0, 16),
    row("peerpipe", 4, 8),
    row("setpgid", 8, 8),
    row("setsid", 0, 8),
    row("getpgrp", 0, 8),
    row("getpid", 0, 8),
    row("getppid", 0, 8),
    row("waitpid", 8, 12),
    row("kill", 8, 8),
    row("fchmod", 8, 8),
    row("fsync", 4, 8),
    row("statvfs", 0, 44),
    row("truncate", 4, 8),
    row("ftruncate", 8, 8),
    row("setuid", 4, 8),
    row("setgid", 4, 8),
    row("threaded", 0, 8),
    row("getpwuid", 4, 16),
    row("getpwnam", 0, 16),
    row("rename", 0, 8),
};

void swap_words(PeerMessage& message, std::uint8_t last_word)
{
    message.set_length(swaps(message.length()));
    for (std::size_t offset = 4; offset <= last_word; offset += 4)
        message.set_word(offset, swapl(message.word(offset)));
}

}  // namespace

const CodeTable kProtocolCodes = kRows;

std::optional<CodeTable> BuildCodeTable(std::span<const OperationFamily> families)
{
    CodeTable table = kProtocolCodes;
    for (const OperationFamily& family : families) {
        for (const OperationEntry& entry : family) {
            if (entry.code >= table.size() || table[entry.code].name.empty()) {
                Error(msg::unassigned_operation, entry.code);
                return std::nullopt;
            }
            if (table[entry.code].operation != nullptr) {
                Error(msg::operation_twice, entry.code);
                return std::nullopt;
            }
            table[entry.code].operation = entry.operation;
        }
    }
    return table;
}

void SwapRequest(PeerRequest& request, const CodeTable& table)
{
    const std::uint8_t code = request.code();
    swap_words(request, code < table.size() ? table[code].request_words : 0);
}

void SwapReply(PeerReply& reply, const CodeTable& table)
{
    const std::uint8_t code = reply.code();
    if (code >= table.size() || table[code].name.empty()) {
        Error(msg::internal_unknown_call, code);
        std::exit(1);
    }
    swap_words(reply, table[code].reply_words);
}
