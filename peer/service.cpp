#include "service.hpp"

#include "diagnostics.hpp"
#include "messages.hpp"
#include "transfer.hpp"

#include <cstdlib>
#include <sys/time.h>
#include <unistd.h>

int swaprequest = 0;

namespace {

// Reused for every message of every connection this process serves; a
// forked peer works on its own copies.
PeerRequest requestBuffer;
PeerReply replyBuffer;

double seconds_since(const timeval& t0)
{
    timeval now{};
    gettimeofday(&now, nullptr);
    return static_cast<double>(now.tv_sec - t0.tv_sec) +
           static_cast<double>(now.tv_usec - t0.tv_usec) / 1000000.0;
}

[[noreturn]] void fail(const char* message)
{
    Error("%s", message);
    std::exit(1);
}

// Reads the next request into request, in host order. Ends the process when
// the client has gone (status 0) or the request cannot be read whole (1).
void read_request(int fd, PeerRequest& request, const CodeTable& table)
{
    const int got = local_readx(fd, request.bytes().first(kHeaderSize));
    if (got == 0) {
        Verbose(msg::nothing_there, fd);
        close(fd);
        std::exit(0);
    }
    if (got != static_cast<int>(kHeaderSize))
        fail(msg::trouble_reading);

    const std::size_t length = swaprequest ? swaps(request.length()) : request.length();
    // The length field reaches 65535 but the buffer holds kMessageSize: a
    // longer request is refused before any of its body is read.
    if (length > kMessageSize)
        fail(msg::trouble_reading);
    if (length > kHeaderSize) {
        const auto body = request.bytes().subspan(kHeaderSize, length - kHeaderSize);
        if (local_readx(fd, body) != static_cast<int>(body.size()))
            fail(msg::trouble_reading);
    }
    request.terminate(length > kHeaderSize ? length : kHeaderSize);
    if (swaprequest)
        SwapRequest(request, table);
}

void answer_connection(int, PeerRequest& request, PeerReply& reply)
{
    Verbose(msg::request_connection);
    if (request.word(4) != PEER_MAGIC) {
        Verbose(msg::swapping);
        swaprequest = 1;
        SwapRequest(request, kProtocolCodes);
    }
    if (request.word(4) != PEER_MAGIC || request.word(8) > kNewestVersion ||
        request.length() != kConnectionSize)
        fail(msg::unknown_protocol);
    reply.set_length(kConnectionSize);
    reply.set_word(4, PEER_MAGIC);
    reply.set_word(8, request.word(8));
    reply.set_word(12, request.word(12) + 1);
}

constexpr OperationEntry kConnectionOperations[] = {{REQ_CONNECTION, answer_connection}};

}  // namespace

OperationFamily ConnectionOperations()
{
    return kConnectionOperations;
}

PeerReply& ProcessRequest(int fd, PeerRequest& request, PeerReply& reply, const CodeTable& table)
{
    const std::uint8_t code = request.code();
    reply.set_code(code);
    // A forgetful operation sends nothing rather than an earlier reply.
    reply.set_length(0);
    const Operation operation = code < table.size() ? table[code].operation : nullptr;
    if (operation == nullptr) {
        Error(msg::unknown_call, code);
        std::exit(1);
    }
    operation(fd, request, reply);
    return reply;
}

bool WriteReply(int fd, PeerReply& reply, const CodeTable& table)
{
    const std::size_t length = reply.length();
    if (length > kMessageSize)
        return false;
    if (swaprequest)
        SwapReply(reply, table);
    return local_writex(fd, reply.bytes().first(length)) == static_cast<int>(length);
}

void ServicePeer(int fd, const CodeTable& table)
{
    timeval t0{};
    gettimeofday(&t0, nullptr);
    PeerRequest& request = requestBuffer;
    PeerReply& reply = replyBuffer;

    // The opening message is taken as it stands: its byte order is not
    // known until the connection request has been looked at.
    const int got = local_readx(fd, request.bytes().first(kConnectionSize));
    if (got == 0) {
        Verbose(msg::connection_eof);
        return;
    }
    if (got != static_cast<int>(kConnectionSize)) {
        Verbose(msg::connection_length);
        std::exit(1);
    }
    request.terminate(kConnectionSize);

    for (;;) {
        if (verbose)
            Verbose(msg::elapsed, seconds_since(t0));
        ProcessRequest(fd, request, reply, table);
        if (!WriteReply(fd, reply, table))
            fail(msg::write_failure);
        read_request(fd, request, table);
    }
}
