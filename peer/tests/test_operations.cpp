#include "test_operations.hpp"

#include "served.hpp"

#include <cstring>
#include <unistd.h>

namespace peertest {
namespace {

void echo_words(int, PeerRequest& request, PeerReply& reply)
{
    reply.set_length(12);
    reply.set_word(4, request.word(8));
    reply.set_word(8, request.word(4));
}

void measure(int, PeerRequest& request, PeerReply& reply)
{
    reply.set_length(52);
    reply.set_word(4, std::uint32_t{request.length()});
    reply.set_word(8, static_cast<std::uint32_t>(std::strlen(request.string_at(4))));
}

void silent(int, PeerRequest&, PeerReply&) {}

void plain(int, PeerRequest&, PeerReply& reply)
{
    reply.set_length(12);
    reply.set_word(4, 0u);
    reply.set_word(8, 0u);
}

void close_connection(int fd, PeerRequest& request, PeerReply& reply)
{
    close(fd);
    plain(fd, request, reply);
}

void wrong_code(int fd, PeerRequest& request, PeerReply& reply)
{
    plain(fd, request, reply);
    reply.set_code(4);
}

constexpr OperationEntry kOperations[] = {
    {REQ_KILL, echo_words}, {REQ_STAT, measure},         {REQ_FORK, silent},
    {REQ_SETSID, plain},    {REQ_CLOSE, close_connection}, {REQ_GETPID, wrong_code},
};

}  // namespace

OperationFamily TestOperations()
{
    return kOperations;
}

const CodeTable& test_table()
{
    static const CodeTable table = table_with({TestOperations()});
    return table;
}

}  // namespace peertest
