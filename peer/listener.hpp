// The top of the launcher: the listening socket, the wait for the client's
// connection, the check of where it comes from, and the hand-over to the
// request loop.
#pragma once

#include <cstdint>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <vector>

extern int primary;  // 1 until the first connection is accepted

// The resolver's entry for the terminal.
struct TerminalHost {
    std::string name;
    std::vector<std::string> aliases;
    int address_type = AF_INET;
    int address_length = 0;
    std::vector<std::string> addresses;  // each address_length raw bytes
};

// One accepted connection, with what is needed to check where it comes from.
struct PeerConnection {
    int primary = 0;  // 1 for the first connection this process accepts
    int listener = -1;
    int socket = -1;
    sockaddr_in peer_address{};
    std::optional<TerminalHost> terminal_host;
    in_addr_t terminal_address = 0;  // network order; checked when there is no host entry
};

// Checks the peer (unless in daemon mode), prepares the socket and serves
// it. Returns 0 to go back to waiting (daemon mode), -2 to end the process.
// A connection from a host other than the terminal, or a socket option that
// cannot be set, ends the process with status 1; so do the loop's own
// endings once the client's connection request has arrived.
int HandleConnection(std::unique_ptr<PeerConnection> record);

// SIGCHLD handler while a connection is served: collects ended children.
void ReapChildren(int signal);

// The launcher from start to end; never returns.
[[noreturn]] void PeerMain(int argc, const char* const argv[]);
