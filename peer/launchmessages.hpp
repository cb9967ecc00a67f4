// Every text the launcher prints, in one place: the usage text, the
// messages through Error and Verbose, and the short texts given to perror.
#pragma once

namespace msg {

// Command line
inline constexpr char usage[] =
    "usage: %s [ [-fs] [-nfs] [-v] [-d] [-r<remsh>] [-p<path>]\n\t[-t<timeout>] [-c<command>] -- ] ....\n";
inline constexpr char no_argument_block[] = "Couldn't allocate client argument block\n";

// Terminal lookup
inline constexpr char unknown_terminal[] = "Unknown terminal, setup DISPLAY environment variable.\n";
inline constexpr char unknown_terminal_name[] = "Unknown terminal name %s.\n";

// Listening socket (perror)
inline constexpr char socket_failed[] = "socket failed";
inline constexpr char bind_failed[] = "bind failed";
inline constexpr char getsockname_failed[] = "getsockaddr failed";
inline constexpr char listen_failed[] = "listen failed";
inline constexpr char port_line[] = "port = %d\n";  // standard output, daemon mode

// Remote start and fallback
inline constexpr char sending_command[] = "sending command";  // perror
inline constexpr char reading_rcmd[] = "reading rcmd data";   // perror
inline constexpr char shell_exec_failed[] = "%s: cannot run the remote shell for %s: %s\n";
inline constexpr char host_based[] = "Attemting to start host based %s\n";
inline constexpr char also_failed[] = "  it also failed.\n";

// Waiting for and handling the connection
inline constexpr char timed_out[] = "Timedout attempting to connect to %s on %s.\n";
inline constexpr char accept_failed[] = "Error attempting to connect to %s on %s.\n";
inline constexpr char any_host[] = "any host";  // the terminal of a daemon, which has none
inline constexpr char handling[] = "Handling connection for peer %d\n";
inline constexpr char unexpected_host[] = "Response from unexpected host.\n";
inline constexpr char keepalive_failed[] = "couldn't set keepalive";  // perror
inline constexpr char nodelay_failed[] = "couldn't set tcp_nodelay";  // perror
inline constexpr char accepted[] = "Accepted connection from peer.\n";
inline constexpr char start_servicing[] = "Start servicing peer(%d)\n";
inline constexpr char servicing_complete[] = "Servicing peer(%d) complete\n";

}  // namespace msg
