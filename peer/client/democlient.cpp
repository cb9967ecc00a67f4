// A client as the terminal runs it, for the demo and the end-to-end tests.
//
//   democlient -peer <port> [-swap] [words...]
//
// It connects back to the peer listening on <port> of the loopback address,
// opens the connection, asks again with a cookie that wraps, closes its end
// and waits for the peer to close the connection, printing each step. With
// -swap it speaks the byte order opposite to the host's. The other words are
// printed as they arrived, one per pair of brackets.
#include "connection.hpp"

#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using namespace peerclient;

std::optional<std::uint16_t> parse_port(std::string_view text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

void show_connection(Connection& peer, std::uint32_t version, std::uint32_t cookie)
{
    const ConnectionReply reply = peer.handshake(version, cookie);
    std::printf(
        "democlient: connection request version %u cookie 0x%x -> magic 0x%x version %u cookie 0x%x\n",
        version, cookie, reply.magic, reply.version, reply.cookie);
}

int run(std::uint16_t port, ByteOrder order)
{
    Connection peer(dial_loopback(port), order);
    std::printf("democlient: connected to port %u, speaking %s-endian (the host is %s-endian)\n", port,
                order_name(order), order_name(host_order()));
    show_connection(peer, kNewestVersion, 0x1234);
    show_connection(peer, 0, 0xffffffff);
    peer.shutdown_sending();
    const bool closed = peer.wait_closed();
    std::printf("democlient: %s\n",
                closed ? "the peer closed the connection" : "the peer did not close in time");
    return closed ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::optional<std::uint16_t> port =
        argc >= 3 && std::string_view(argv[1]) == "-peer" ? parse_port(argv[2]) : std::nullopt;
    if (!port) {
        std::fprintf(stderr, "usage: democlient -peer <port> [-swap] [words...]\n");
        return 2;
    }
    ByteOrder order = host_order();
    std::string words;
    for (int i = 3; i < argc; ++i) {
        if (std::string_view(argv[i]) == "-swap")
            order = other_order(order);
        else
            words += std::string(words.empty() ? "" : " ") + "[" + argv[i] + "]";
    }
    if (!words.empty())
        std::printf("democlient: words %s\n", words.c_str());
    try {
        return run(*port, order);
    }
    catch (const std::exception& error) {
        std::printf("democlient: %s\n", error.what());
        return 1;
    }
}
