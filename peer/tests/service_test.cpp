// The service loop over a socket pair, from the client's side, in both byte
// orders: the connection request, conversion of later messages, framing,
// and every way a connection ends.
#include "served.hpp"
#include "test_operations.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>
#include <string>
#include <thread>

namespace {

using namespace peerclient;
using peertest::Ending;
using peertest::ServedPeer;

std::string replace_all(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

class Service : public ::testing::TestWithParam<ByteOrder> {
protected:
    ByteOrder order() const { return GetParam(); }
    bool swapped() const { return order() != host_order(); }
    // "{swap}" stands for the line the peer logs when the orders differ,
    // "{fd}" for the connection's descriptor in the peer.
    std::string expected(std::string text, const ServedPeer& peer) const
    {
        text = replace_all(text, "{swap}", swapped() ? "Swapping the requests\n" : "");
        return replace_all(text, "{fd}", std::to_string(peer.server_fd()));
    }
};

INSTANTIATE_TEST_SUITE_P(BothOrders, Service, ::testing::Values(ByteOrder::little, ByteOrder::big),
                         [](const auto& info) { return std::string(order_name(info.param)); });

TEST_P(Service, ConnectionAnsweredInTheClientsOrder)
{
    struct Case {
        std::uint32_t version, cookie, answer;
    };
    for (const Case& c : {Case{0, 0, 1}, Case{1, 0x01020304, 0x01020305}, Case{2, 0xffffffff, 0}}) {
        SCOPED_TRACE(c.version);
        ServedPeer peer(peertest::test_table());
        Connection client = peer.connect(order());
        const Reply reply = client.call(req::connection(order(), c.version, c.cookie));
        EXPECT_EQ(reply.length(), 16);
        EXPECT_EQ(reply.code(), REQ_CONNECTION);
        EXPECT_EQ(reply.connection(), (ConnectionReply{PEER_MAGIC, c.version, c.answer}));
        // A second connection request arrives converted and is answered alike.
        EXPECT_EQ(client.call(req::connection(order(), c.version, 7)).connection(),
                  (ConnectionReply{PEER_MAGIC, c.version, 8}));
        client.close();
        const Ending end = peer.wait();
        EXPECT_EQ(end.status, 0);
        EXPECT_EQ(end.err, expected("Request: Connection\n{swap}Request: Connection\n"
                                    "Nothing there EOF ({fd})\n",
                                    peer));
    }
}

TEST_P(Service, LaterRequestsAndRepliesAreConverted)
{
    ServedPeer peer(peertest::test_table());
    Connection client = peer.connect(order());
    client.handshake();
    const Reply reply = client.call(req::kill(order(), 0x11223344, -2));
    EXPECT_EQ(reply.length(), 12);
    EXPECT_EQ(reply.code(), REQ_KILL);
    EXPECT_EQ(reply.status(), (Status{-2, 0x11223344}));
    // Data bytes travel as they are.
    EXPECT_EQ(client.call(req::stat(order(), "a/b")).status(), (Status{4 + 4, 3}));
}

TEST_P(Service, ServesOverLoopbackTcp)
{
    ServedPeer peer(peertest::test_table(), true, peertest::Transport::loopback_tcp);
    Connection client = peer.connect(order());
    EXPECT_EQ(client.handshake(2, 41).cookie, 42u);
    EXPECT_EQ(client.call(req::kill(order(), 5, 6)).status(), (Status{6, 5}));
    client.close();
    const Ending end = peer.wait();
    EXPECT_EQ(end.status, 0);
    EXPECT_EQ(end.err, expected("Request: Connection\n{swap}Nothing there EOF ({fd})\n", peer));
}

TEST_P(Service, HeaderOnlyAndUnterminatedRequestsStayInsideThemselves)
{
    ServedPeer peer(peertest::test_table());
    Connection client = peer.connect(order());
    client.handshake();
    // An earlier request leaves a long string behind in the buffer.
    EXPECT_EQ(client.call(req::stat(order(), "left-behind")).status(), (Status{16, 11}));
    for (std::uint16_t length = 0; length <= 4; ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(client.call(header(order(), length, REQ_STAT)).status(), (Status{length, 0}));
    }
    const Message unterminated = MessageBuilder(order(), REQ_STAT).bytes("abcdef").done();
    EXPECT_EQ(client.call(unterminated).status(), (Status{10, 6}));
}

TEST_P(Service, LargestRequestIsServed)
{
    ServedPeer peer(peertest::test_table());
    Connection client = peer.connect(order());
    client.handshake();
    const std::string path(kMessageSize - kHeaderSize - 1, 'p');
    EXPECT_EQ(client.call(req::stat(order(), path)).status(),
              (Status{static_cast<std::int32_t>(kMessageSize), static_cast<std::int32_t>(path.size())}));
}

TEST_P(Service, OversizedLengthIsRefusedBeforeItsBody)
{
    for (std::uint16_t length : {std::uint16_t{kMessageSize + 1}, std::uint16_t{0xffff}}) {
        SCOPED_TRACE(length);
        ServedPeer peer(peertest::test_table());
        Connection client = peer.connect(order());
        client.handshake();
        // No body follows and the connection stays open: a peer that tried
        // to read the body would wait here until the time limit.
        client.send(header(order(), length, REQ_STAT));
        const Ending end = peer.wait();
        EXPECT_FALSE(end.timed_out);
        EXPECT_EQ(end.status, 1);
        EXPECT_EQ(end.err, expected("Request: Connection\n{swap}Trouble reading request\n", peer));
    }
}

TEST_P(Service, ZeroLengthReplyPutsNothingOnTheConnection)
{
    ServedPeer peer(peertest::test_table());
    Connection client = peer.connect(order());
    client.handshake();
    client.send(req::header_only(order(), REQ_FORK));
    // The next bytes to arrive are the answer to the request after it.
    const Reply reply = client.call(req::kill(order(), 1, 2));
    EXPECT_EQ(reply.code(), REQ_KILL);
    EXPECT_EQ(reply.status(), (Status{2, 1}));
}

struct EndingCase {
    const char* name;
    std::function<void(Connection&)> client;
    int status;
    const char* err;
};

void send_part(Connection& c, const Message& m, std::size_t bytes)
{
    c.send(std::span(m).first(bytes));
    c.close();
}

TEST_P(Service, EveryEndingHasItsMessageAndStatus)
{
    const ByteOrder o = order();
    const auto connected = [](std::function<void(Connection&)> then) {
        return [then](Connection& c) {
            c.handshake();
            then(c);
        };
    };
    const std::string bad_protocol = "Request: Connection\n{swap}Connection failed, unknown protocol\n";
    const std::vector<EndingCase> cases = {
        {"closed before the opening message", [](Connection& c) { c.close(); }, peertest::kReturned,
         "Connection EOF\n"},
        {"short opening message", [o](Connection& c) { send_part(c, req::connection(o, 2, 0), 10); }, 1,
         "Connection length incorrect.\n"},
        {"garbage opening message", [](Connection& c) { c.send(Message(16, 0xff)); }, 1,
         "Unknown function call 255\n"},
        {"wrong magic", [o](Connection& c) { c.send(req::connection(o, 2, 0, 0x12345678)); }, 1,
         "Request: Connection\nSwapping the requests\nConnection failed, unknown protocol\n"},
        {"version 3", [o](Connection& c) { c.send(req::connection(o, 3, 0)); }, 1, bad_protocol.c_str()},
        {"version above 2 read unsigned", [o](Connection& c) { c.send(req::connection(o, 0xffffffff, 0)); },
         1, bad_protocol.c_str()},
        {"connection request of 20 bytes",
         [o](Connection& c) { c.send(MessageBuilder(o, 0).word(PEER_MAGIC).word(2).word(0).word(0).done()); },
         1, bad_protocol.c_str()},
        {"closed between requests", connected([](Connection& c) { c.close(); }), 0,
         "Request: Connection\n{swap}Nothing there EOF ({fd})\n"},
        {"closed inside a header", connected([o](Connection& c) { send_part(c, req::kill(o, 1, 2), 2); }), 1,
         "Request: Connection\n{swap}Trouble reading request\n"},
        {"closed inside a body", connected([o](Connection& c) { send_part(c, req::kill(o, 1, 2), 8); }), 1,
         "Request: Connection\n{swap}Trouble reading request\n"},
        {"reply cannot be written",
         [o](Connection& c) {
             c.send(req::connection(o, 2, 0));
             c.close();
         },
         1, "Request: Connection\n{swap}Write failure\n"},
        {"connection closed under the loop", connected([o](Connection& c) { c.send(req::close(o, 0)); }), 1,
         "Request: Connection\n{swap}Write failure\n"},
        {"unassigned code 4", connected([o](Connection& c) { c.send(header(o, 4, 4)); }), 1,
         "Request: Connection\n{swap}Unknown function call 4\n"},
        {"code above 60", connected([o](Connection& c) { c.send(header(o, 4, 61)); }), 1,
         "Request: Connection\n{swap}Unknown function call 61\n"},
        {"code without an operation", connected([o](Connection& c) { c.send(req::open(o, 0, 0, "/")); }), 1,
         "Request: Connection\n{swap}Unknown function call 1\n"},
    };
    for (const EndingCase& c : cases) {
        SCOPED_TRACE(c.name);
        ServedPeer peer(peertest::test_table());
        Connection client = peer.connect(o);
        c.client(client);
        const Ending end = peer.wait();
        EXPECT_FALSE(end.timed_out);
        EXPECT_EQ(end.signal, 0);
        EXPECT_EQ(end.status, c.status);
        EXPECT_EQ(end.err, expected(c.err, peer));
    }
}

TEST_P(Service, ReplyUnderAnUnassignedCodeCannotBeConverted)
{
    ServedPeer peer(peertest::test_table());
    Connection client = peer.connect(order());
    client.handshake();
    client.send(req::header_only(order(), REQ_GETPID));
    if (swapped()) {
        const Ending end = peer.wait();
        EXPECT_EQ(end.status, 1);
        EXPECT_EQ(end.err, "Request: Connection\nSwapping the requests\n"
                           "internal error, Unknown function call 4\n");
    } else {
        EXPECT_EQ(client.receive().code(), 4);
    }
}

TEST_P(Service, VerboseLinesStartWithSecondsSinceTheConnectionBegan)
{
    ServedPeer peer(peertest::test_table());
    Connection client = peer.connect(order());
    client.handshake();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    client.call(req::header_only(order(), REQ_SETSID));
    client.close();
    const Ending end = peer.wait();
    // Each line: the seconds, a space, the line the loop would print without them.
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::size_t at = 0; at < end.raw_err.size();) {
        const std::size_t nl = end.raw_err.find('\n', at);
        ASSERT_NE(nl, std::string::npos) << end.raw_err;
        const std::string line = end.raw_err.substr(at, nl - at);
        const std::size_t space = line.find(' ');
        lines.emplace_back(line.substr(0, space), line.substr(space + 1));
        at = nl + 1;
    }
    if (swapped()) {
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1].first + " " + lines[1].second, "Swapping the requests");
        lines.erase(lines.begin() + 1);
    }
    ASSERT_EQ(lines.size(), 2u) << end.raw_err;
    EXPECT_EQ(lines[0].second, "Request: Connection");
    EXPECT_EQ(lines[1].second, "Nothing there EOF (" + std::to_string(peer.server_fd()) + ")");
    for (const auto& [seconds, rest] : lines) {
        char again[32];
        std::snprintf(again, sizeof again, "%.3g", std::stod(seconds));
        EXPECT_EQ(seconds, again);
    }
    EXPECT_LT(std::stod(lines[0].first), std::stod(lines[1].first));
    EXPECT_GE(std::stod(lines[1].first), 0.3);
}

}  // namespace
