#include "listener.hpp"

#include "cmdline.hpp"
#include "diagnostics.hpp"
#include "launchmessages.hpp"
#include "remote.hpp"
#include "service.hpp"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <new>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

int primary = 1;

namespace {

// The terminal the client is started on (normal mode only).
struct Terminal {
    std::string name;
    std::optional<TerminalHost> host;
    in_addr_t address = 0;  // set when the name was taken as a dotted address
};

TerminalHost copy_host(const hostent& entry)
{
    TerminalHost host;
    host.name = entry.h_name != nullptr ? entry.h_name : "";
    for (char** alias = entry.h_aliases; alias != nullptr && *alias != nullptr; ++alias)
        host.aliases.emplace_back(*alias);
    host.address_type = entry.h_addrtype;
    host.address_length = entry.h_length;
    const std::size_t length = entry.h_length > 0 ? static_cast<std::size_t>(entry.h_length) : 0;
    for (char** address = entry.h_addr_list; address != nullptr && *address != nullptr; ++address)
        host.addresses.emplace_back(*address, length);
    return host;
}

Terminal look_up_terminal()
{
    const std::optional<std::string> name = GetTerminal();
    if (!name) {
        Error(msg::unknown_terminal);
        std::exit(1);
    }
    Terminal terminal{*name, std::nullopt, 0};
    if (const hostent* entry = gethostbyname(name->c_str())) {
        terminal.host = copy_host(*entry);
        return terminal;
    }
    const in_addr_t address = inet_addr(name->c_str());
    if (address == INADDR_NONE) {
        Error(msg::unknown_terminal_name, name->c_str());
        std::exit(1);
    }
    terminal.address = address;
    if (const hostent* entry = gethostbyaddr(&address, sizeof address, AF_INET))
        terminal.host = copy_host(*entry);
    return terminal;
}

// perror with text, then the socket fd (if any) closed and status 1.
[[noreturn]] void socket_failure(const char* text, int fd)
{
    std::perror(text);
    if (fd >= 0)
        close(fd);
    std::exit(1);
}

struct Listener {
    int fd;
    int port;
};

// A listening TCP socket on every IPv4 address and a port the system
// chooses. It listens before the client is started, so that the client's
// connection waits in the backlog while the remote shell still runs. Not
// inherited by the remote shell or anything the client executes.
Listener open_listener()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        socket_failure(msg::socket_failed, fd);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = 0;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        socket_failure(msg::bind_failed, fd);
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        socket_failure(msg::getsockname_failed, fd);
    if (listen(fd, 5) != 0)
        socket_failure(msg::listen_failed, fd);
    return {fd, ntohs(address.sin_port)};
}

// True when a connection is pending. A daemon waits without limit; otherwise
// the wait lasts timeout seconds, and a negative limit fails at once.
bool wait_for_connection(int listener)
{
    pollfd ready{listener, POLLIN, 0};
    if (pdaemon)
        return poll(&ready, 1, -1) > 0;
    if (timeout < 0)
        return false;
    // poll counts milliseconds in an int: a longer limit is waited in steps.
    for (long long left = timeout * 1000LL;;) {
        const int step = static_cast<int>(std::min<long long>(left, INT_MAX));
        const int n = poll(&ready, 1, step);
        if (n != 0)
            return n > 0;
        left -= step;
        if (left <= 0)
            return false;
    }
}

bool from_terminal(const PeerConnection& record)
{
    const in_addr& peer = record.peer_address.sin_addr;
    if (!record.terminal_host)
        return peer.s_addr == record.terminal_address;
    // Only an address of the peer's own length can be equal to it.
    return std::any_of(record.terminal_host->addresses.begin(), record.terminal_host->addresses.end(),
                       [&](const std::string& address) {
                           return address.size() == sizeof peer &&
                                  std::memcmp(address.data(), &peer, sizeof peer) == 0;
                       });
}

void set_child_handler(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // A stopped child is no reason to wake up; one that ended is.
    action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigaction(SIGCHLD, &action, nullptr);
}

[[noreturn]] void fall_back(int listener, const ClientArgs& client)
{
    close(listener);
    StartBackupClient(client);
}

}  // namespace

void ReapChildren(int)
{
    // Signals of children that end together arrive as one, so everything
    // that has ended is collected.
    const int saved = errno;
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    errno = saved;
}

int HandleConnection(std::unique_ptr<PeerConnection> record)
{
    const int fd = record->socket;
    Verbose(msg::handling, fd);
    if (!pdaemon && !from_terminal(*record)) {
        close(fd);
        Error(msg::unexpected_host);
        std::exit(1);
    }
    // Programs that the client's requests execute must not hold the connection.
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    const int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0)
        socket_failure(msg::keepalive_failed, fd);
    if (setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0)
        socket_failure(msg::nodelay_failed, fd);
    Verbose(msg::accepted);

    set_child_handler(ReapChildren);
    Verbose(msg::start_servicing, fd);
    ServicePeer(fd);
    Verbose(msg::servicing_complete, fd);
    set_child_handler(SIG_DFL);

    close(fd);
    return pdaemon ? 0 : -2;
}

void PeerMain(int argc, const char* const argv[])
{
    static const char* const kNoName[] = {"peer"};
    if (argc < 1) {
        argc = 1;
        argv = kNoName;
    }
    ClientArgs client;
    try {
        client.words.reserve(static_cast<std::size_t>(argc) + 1);
        client.shell.reserve(static_cast<std::size_t>(argc) + 3);
    }
    catch (const std::bad_alloc&) {
        Error(msg::no_argument_block);
        std::exit(1);
    }
    prog = argv[0];
    // An ignored SIGCHLD, inherited from whoever started the peer, would
    // have the remote shell reaped unseen and every start judged a failure.
    set_child_handler(SIG_DFL);

    const std::vector<std::string> options = SplitArgs(argc, argv, client);
    ProcessClientArgs(client);
    if (!ProcessArgs(options)) {
        Usage();
        std::exit(1);
    }
    EscapeMetaChars(client);

    std::optional<Terminal> terminal;
    if (!pdaemon)
        terminal = look_up_terminal();
    const std::string terminal_name = terminal ? terminal->name : msg::any_host;

    const Listener listener = open_listener();
    if (pdaemon) {
        std::printf(msg::port_line, listener.port);
        std::fflush(stdout);
    }
    else {
        BuildCommandLine(client, listener.port);
        const RemoteShell shell = StartClient(terminal->name, client);
        if (shell.output < 0) {
            std::perror(msg::sending_command);
            fall_back(listener.fd, client);
        }
        if (!RemoteStartSucceeded(shell))
            fall_back(listener.fd, client);
    }

    for (;;) {
        if (!wait_for_connection(listener.fd)) {
            Error(msg::timed_out, prog.c_str(), terminal_name.c_str());
            fall_back(listener.fd, client);
        }
        auto record = std::make_unique<PeerConnection>();
        socklen_t length = sizeof record->peer_address;
        record->socket = accept(listener.fd, reinterpret_cast<sockaddr*>(&record->peer_address), &length);
        if (record->socket < 0) {
            Error(msg::accept_failed, prog.c_str(), terminal_name.c_str());
            close(listener.fd);
            std::exit(0);
        }
        record->listener = listener.fd;
        if (terminal) {
            record->terminal_host = terminal->host;
            record->terminal_address = terminal->address;
        }
        record->primary = primary;
        primary = 0;

        if (HandleConnection(std::move(record)) == -2) {
            close(listener.fd);
            std::exit(0);
        }
    }
}
