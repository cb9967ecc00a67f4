// The peer program end to end, through real processes and loopback sockets:
// started under a client's name, it starts the client through a remote
// shell, serves the connection that comes back, or runs the host-based
// client instead. The remote shells and host-based clients here are the
// recorder (recorder.cpp), which writes down how it was run; the remote-shell
// stand-in and the demo client are the ones the demo uses.
#include "launched.hpp"
#include "testkit/files.hpp"
#include "testkit/process.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using namespace peerclient;
using peertest::Ending;
using peertest::Launched;
using Words = std::vector<std::string>;

// Client words that a shell would split, quote or end a command at.
const Words kAwkwardWords{"a b", "say \"hi\"", "x;y", "it's"};
const Words kAwkwardEscaped{"a\\ b", "say\\ \\\"hi\\\"", "x\\;y", "it\\'s"};

Words operator+(Words words, const Words& more)
{
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The digits right after the first occurrence of label in text; "?" when
// there are none.
std::string number_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return "?";
    const std::size_t begin = at + label.size();
    const std::size_t end = std::min(text.find_first_not_of("0123456789", begin), text.size());
    return end > begin ? text.substr(begin, end - begin) : "?";
}

// The connection's descriptor number in the peer, from its verbose log.
std::string connection_fd(const std::string& err)
{
    return number_after(err, "Handling connection for peer ");
}

// The verbose log of a connection that the peer took up: "{fd}" stands for
// its descriptor number.
std::string with_fd(const std::string& text, const std::string& err)
{
    return replace_all(text, "{fd}", connection_fd(err));
}

const std::string kServicing =
    "Handling connection for peer {fd}\nAccepted connection from peer.\nStart servicing peer({fd})\n";

testkit::RunOptions with_env(std::vector<std::string> env, std::chrono::milliseconds limit = 10s)
{
    testkit::RunOptions options;
    options.env = std::move(env);
    options.timeout = limit;
    return options;
}

bool is_port(const std::string& text)
{
    return !text.empty() && text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::string& name : {bin(), clients(), records()})
            ASSERT_EQ(mkdir(name.c_str(), 0755), 0);
    }
    // Whatever the peer started has ended by now: nothing is left running.
    void TearDown() override { EXPECT_EQ(reaper_.collect(5s), 0) << "processes were left running"; }

    std::string bin() const { return dir_.file("bin"); }
    std::string clients() const { return dir_.file("clients"); }
    std::string records() const { return dir_.file("records"); }

    static void link(const std::string& target, const std::string& path)
    {
        std::filesystem::remove(path);
        std::filesystem::create_symlink(target, path);
    }
    std::string peer_as(const std::string& name) const
    {
        link(PEER_PROGRAM, bin() + "/" + name);
        return bin() + "/" + name;
    }
    // The recorder as the remote shell "rsh" on PATH, saying what it is told.
    void remote_shell(const std::string& says, int status) const
    {
        link(RECORDER_PROGRAM, bin() + "/rsh");
        testkit::write_file(records() + "/rsh.say", says);
        testkit::write_file(records() + "/rsh.status", std::to_string(status));
    }
    // The recorder as the host-based client xclock, in a directory that only
    // -p puts on its PATH; it exits with status 42.
    void host_client() const
    {
        link(RECORDER_PROGRAM, clients() + "/xclock");
        testkit::write_file(records() + "/xclock.status", "42");
    }
    // A fresh start: no remote shell, no records.
    void clear()
    {
        std::filesystem::remove(bin() + "/rsh");
        for (const auto& entry : std::filesystem::directory_iterator(records())) {
            const std::string extension = entry.path().extension();
            if (extension == ".argv" || extension == ".env")
                std::filesystem::remove(entry.path());
        }
    }
    std::vector<std::string> env() const
    {
        return {"PATH=" + bin(), "RECORD_DIR=" + records(), "DISPLAY", "TERMINAL_CONSOLE"};
    }
    // The words recorded for a program (kind "argv" or "env"), if it ran.
    std::optional<Words> recorded(const std::string& name, const std::string& kind) const
    {
        const std::string path = records() + "/" + name + "." + kind;
        if (!testkit::file_exists(path))
            return std::nullopt;
        return peertest::split_words(testkit::read_file(path));
    }

    testkit::TempDir dir_;
    peertest::Subreaper reaper_;
};

// Every failed start leads to the host-based client, executed with the
// client's words as they were given, on PATH with the -p directory; with
// -nfs the peer ends with status 1 instead.
TEST_F(EndToEnd, FailedStartRunsTheHostBasedClient)
{
    enum class Shell { records, missing, broken };
    struct Case {
        const char* what;
        Shell shell;
        std::string says;
        int status;
        Words options;
        std::string out, err;  // "{bin}" stands for the directory of the peer
    };
    const std::string timed_out = "Timedout attempting to connect to {bin}/qzxt.xclock on localhost.\n";
    const Case cases[] = {
        {"shell prints a warning", Shell::records, "rsh: terminal busy\n", 0, {}, "rsh: terminal busy\n", ""},
        {"shell fails silently", Shell::records, "", 3, {}, "", ""},
        {"client never connects", Shell::records, "", 0, {"-t1"}, "", timed_out},
        {"no wait at all", Shell::records, "", 0, {"-t0"}, "", timed_out},
        {"negative wait", Shell::records, "", 0, {"-t-1"}, "", timed_out},
        {"no shell on PATH", Shell::missing, "", 0, {}, "", "sending command: No such file or directory\n"},
        {"shell cannot be executed",
         Shell::broken,
         "",
         0,
         {},
         "{bin}/rsh: cannot run the remote shell for localhost: Exec format error\n",
         ""},
    };
    const std::string peer = peer_as("qzxt.xclock_peer");
    host_client();
    for (const Case& c : cases) {
        for (const bool fallback : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (fallback ? "" : ", -nfs"));
            clear();
            if (c.shell == Shell::records)
                remote_shell(c.says, c.status);
            if (c.shell == Shell::broken) {
                testkit::write_file(bin() + "/rsh", "not a program\n");
                chmod((bin() + "/rsh").c_str(), 0755);
            }
            const Words options =
                Words{"-v", "-p" + clients()} + c.options + (fallback ? Words{} : Words{"-nfs"});
            const auto started = std::chrono::steady_clock::now();
            const testkit::RunResult run =
                testkit::run(Words{peer} + options + Words{"--", "-display", "localhost:0"} + kAwkwardWords,
                             with_env(env()));
            const auto took = std::chrono::steady_clock::now() - started;

            ASSERT_FALSE(run.timed_out);
            EXPECT_EQ(run.out, replace_all(c.out, "{bin}", bin()));
            EXPECT_EQ(run.err, replace_all(c.err, "{bin}", bin()) +
                                   (fallback ? "Attemting to start host based xclock\n" : ""));
            if (c.options == Words{"-t1"}) {
                EXPECT_GE(took, 900ms);
            }

            const std::optional<Words> shell = recorded("rsh", "argv");
            EXPECT_EQ(shell.has_value(), c.shell == Shell::records);
            const std::string port = shell && shell->size() > 4 ? (*shell)[4] : "";
            if (shell) {
                EXPECT_TRUE(is_port(port));
                EXPECT_EQ(*shell,
                          (Words{"rsh", "localhost", "xclock", "-peer", port, "-display", "localhost:0"} +
                           kAwkwardEscaped));
            }

            const std::optional<Words> client = recorded("xclock", "argv");
            if (!fallback) {
                EXPECT_EQ(run.status, 1);
                EXPECT_FALSE(client);
                continue;
            }
            EXPECT_EQ(run.status, 42);
            ASSERT_TRUE(client);
            ASSERT_GT(client->size(), 2u);
            EXPECT_TRUE(is_port((*client)[2]));
            if (shell) {
                EXPECT_EQ((*client)[2], port);
            }
            EXPECT_EQ(*client,
                      (Words{"xclock", "-peer", (*client)[2], "-display", "localhost:0"} + kAwkwardWords));
            // PATH with the -p directory, DISPLAY from -display, and no
            // ended remote shell left for the client to reap.
            const std::optional<Words> client_env = recorded("xclock", "env");
            ASSERT_TRUE(client_env);
            ASSERT_EQ(client_env->size(), 4u);
            EXPECT_EQ((*client_env)[0], bin() + ":" + clients());
            EXPECT_EQ((*client_env)[1], "localhost:0");
            EXPECT_EQ((*client_env)[3], "0");
        }
    }
}

TEST_F(EndToEnd, ClientNameComesFromTheInvocationName)
{
    struct Case {
        const char* invoked;
        Words options;
        const char* remote_command;
    };
    const Case cases[] = {
        {"qzxt.xclock_peer", {}, "xclock"},
        {"xt.xclock.peer", {}, "xclock"},
        {"vqm.xclock", {}, "xclock"},
        // The terminal runs the -c name as it is; the host drops its prefix.
        {"anything_peer", {"-cqzxt.xclock"}, "qzxt.xclock"},
    };
    host_client();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.invoked);
        clear();
        remote_shell("", 1);
        const testkit::RunResult run = testkit::run(
            Words{peer_as(c.invoked), "-hlocalhost", "-p" + clients()} + c.options + Words{"--", "w"},
            with_env(env()));
        EXPECT_EQ(run.status, 42);
        const std::optional<Words> shell = recorded("rsh", "argv");
        ASSERT_TRUE(shell);
        ASSERT_EQ(shell->size(), 6u);
        EXPECT_EQ((*shell)[2], c.remote_command);
        EXPECT_EQ(recorded("xclock", "argv"), (Words{"xclock", "-peer", (*shell)[4], "w"}));
    }
}

// The launcher, the stand-in, the demo client and the request loop: the
// client gets its words whole through the stand-in's shell, is served in
// its byte order, and the peer ends with status 0 when it closes.
TEST_F(EndToEnd, StandInStartsTheDemoClient)
{
    struct Case {
        const char* what;
        bool swap;
        Words launch;  // what runs the peer
    };
    const Case cases[] = {
        {"host byte order", false, {}},
        {"opposite byte order", true, {}},
        // Inherited, an ignored SIGCHLD would hide the remote shell's status.
        {"started with SIGCHLD ignored", false, {"/bin/bash", "-c", "trap '' CHLD; exec \"$0\" \"$@\""}},
    };
    const std::string peer = peer_as("qzxt.democlient_peer");
    int run_number = 0;
    for (const auto& [what, swap, launch] : cases) {
        SCOPED_TRACE(what);
        const std::string console = dir_.file("console" + std::to_string(++run_number));
        const testkit::RunResult run =
            testkit::run(launch + Words{peer, "-v", "-t10", "--"} + kAwkwardWords + (swap ? Words{"-swap"} : Words{}),
                         with_env({"PATH=" STANDIN_DIR ":" DEMO_CLIENT_DIR ":/usr/bin:/bin",
                                   "DISPLAY=localhost:0", "TERMINAL_CONSOLE=" + console},
                                  15s));
        ASSERT_FALSE(run.timed_out);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "");
        const std::string err = peertest::without_elapsed(run.err);
        EXPECT_EQ(err,
                  with_fd(kServicing + "Request: Connection\n" + (swap ? "Swapping the requests\n" : "") +
                              "Request: Connection\nNothing there EOF ({fd})\n",
                          err));

        // The client's last line comes once the peer has closed the connection.
        const std::string last = "democlient: the peer closed the connection\n";
        std::string shown;
        for (const auto until = std::chrono::steady_clock::now() + 5s;
             !shown.ends_with(last) && std::chrono::steady_clock::now() < until;
             std::this_thread::sleep_for(5ms))
            shown = testkit::file_exists(console) ? testkit::read_file(console) : "";
        const std::string port = number_after(shown, "connected to port ");
        const ByteOrder order = swap ? other_order(host_order()) : host_order();
        EXPECT_EQ(shown,
                  "democlient: words [a b] [say \"hi\"] [x;y] [it's]\n"
                  "democlient: connected to port " +
                      port + ", speaking " + order_name(order) + "-endian (the host is " +
                      order_name(host_order()) +
                      "-endian)\n"
                      "democlient: connection request version 2 cookie 0x1234 -> magic 0x2ed76d19 version 2 "
                      "cookie 0x1235\n"
                      "democlient: connection request version 0 cookie 0xffffffff -> magic 0x2ed76d19 "
                      "version 0 cookie 0x0\n" +
                      last);
    }
}

// A peer whose remote shell only records the command line, so that the test
// plays the client on the terminal: the port is the fifth word the remote
// shell got.
class PlayedTerminal : public EndToEnd {
protected:
    std::unique_ptr<Launched> start(const std::string& terminal)
    {
        remote_shell("", 0);
        host_client();
        auto peer = std::make_unique<Launched>(
            Words{peer_as("qzxt.xclock_peer"), "-v", "-t10", "-h" + terminal, "-p" + clients(), "--", "w"},
            env());
        EXPECT_TRUE(peertest::wait_for_file(records() + "/rsh.argv", 5s));
        const std::optional<Words> shell = recorded("rsh", "argv");
        port_ = shell && shell->size() > 4 && is_port((*shell)[4]) ? std::stoi((*shell)[4]) : 0;
        EXPECT_NE(port_, 0);
        return peer;
    }
    std::uint16_t port_ = 0;
};

int socket_option(int fd, int level, int option)
{
    int value = -1;
    socklen_t size = sizeof value;
    return getsockopt(fd, level, option, &value, &size) == 0 ? value : -1;
}

TEST_F(PlayedTerminal, ServesTheTerminalsConnection)
{
    const std::unique_ptr<Launched> peer = start("localhost");
    Connection client(peertest::dial_from("127.0.0.1", port_), host_order());
    EXPECT_EQ(client.handshake(2, 5).cookie, 6u);

    // While the peer serves: its remote shell has been reaped, and the
    // connection is kept alive, unbuffered and not inherited by programs
    // the client executes.
    EXPECT_EQ(peertest::children_of(peer->pid()), std::vector<pid_t>{});
    const std::string fd = connection_fd(peer->err());
    ASSERT_NE(fd, "?");
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, peer->pid(), 0));
    ASSERT_GE(pidfd, 0);
    const int copy = static_cast<int>(syscall(SYS_pidfd_getfd, pidfd, std::stoi(fd), 0));
    ASSERT_GE(copy, 0) << "cannot look at the peer's socket";
    EXPECT_EQ(socket_option(copy, SOL_SOCKET, SO_KEEPALIVE), 1);
    EXPECT_EQ(socket_option(copy, IPPROTO_TCP, TCP_NODELAY), 1);
    close(copy);
    close(pidfd);
    const std::string fdinfo = testkit::read_file("/proc/" + std::to_string(peer->pid()) + "/fdinfo/" + fd);
    const std::string flags = number_after(fdinfo, "flags:\t");
    ASSERT_NE(flags, "?") << fdinfo;
    EXPECT_NE(std::stoi(flags, nullptr, 8) & O_CLOEXEC, 0);

    client.close();
    const Ending end = peer->wait();
    EXPECT_EQ(end.status, 0);
    EXPECT_EQ(end.err, with_fd(kServicing + "Request: Connection\nNothing there EOF ({fd})\n", end.err));
    EXPECT_FALSE(recorded("xclock", "argv"));
}

TEST_F(PlayedTerminal, ConnectionDecidesHowThePeerEnds)
{
    struct Case {
        const char* terminal;
        const char* from;
        bool opens;  // sends the connection request before closing
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"localhost", "127.0.0.1", false, 0, kServicing + "Connection EOF\nServicing peer({fd}) complete\n"},
        {"localhost", "127.0.0.2", true, 1,
         "Handling connection for peer {fd}\nResponse from unexpected host.\n"},
        {"127.0.0.2", "127.0.0.2", true, 0, kServicing + "Request: Connection\nNothing there EOF ({fd})\n"},
        {"127.0.0.2", "127.0.0.1", true, 1,
         "Handling connection for peer {fd}\nResponse from unexpected host.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.terminal) + " answered from " + c.from);
        clear();
        const std::unique_ptr<Launched> peer = start(c.terminal);
        Connection client(peertest::dial_from(c.from, port_), host_order());
        if (c.opens) {
            client.send(req::connection(host_order(), 2, 0));
        }
        client.close();
        const Ending end = peer->wait();
        EXPECT_EQ(end.status, c.status);
        EXPECT_EQ(end.err, with_fd(c.err, end.err));
        // Neither ending is a failed start: no host-based client.
        EXPECT_FALSE(recorded("xclock", "argv"));
    }
}

// A daemon starts nothing, announces its port at once and takes a client
// from any host; a connection that closes before its connection request
// leaves it waiting for the next.
TEST_F(EndToEnd, DaemonServesWhateverConnects)
{
    Launched peer({PEER_PROGRAM, "-d", "-v", "--"}, env());
    const std::string line = peer.read_line(5s);
    const std::string port = number_after(line, "port = ");
    ASSERT_EQ(line, "port = " + port + "\n");
    ASSERT_TRUE(is_port(port));

    close(peertest::dial_from("127.0.0.1", static_cast<std::uint16_t>(std::stoi(port))));
    const ByteOrder order = other_order(host_order());
    Connection client(peertest::dial_from("127.0.0.2", static_cast<std::uint16_t>(std::stoi(port))), order);
    EXPECT_EQ(client.handshake(1, 0xffffffff), (ConnectionReply{PEER_MAGIC, 1, 0}));
    client.close();

    const Ending end = peer.wait();
    EXPECT_EQ(end.status, 0);
    EXPECT_EQ(end.out, "");
    EXPECT_EQ(end.err, with_fd(kServicing + "Connection EOF\nServicing peer({fd}) complete\n" + kServicing +
                                   "Request: Connection\nSwapping the requests\nNothing there EOF ({fd})\n",
                               end.err));
}

TEST_F(EndToEnd, BadInputEndsWithAMessage)
{
    const std::string usage =
        std::string("usage: ") + PEER_PROGRAM +
        " [ [-fs] [-nfs] [-v] [-d] [-r<remsh>] [-p<path>]\n\t[-t<timeout>] [-c<command>] -- ] ....\n";
    const std::string no_terminal = "Unknown terminal, setup DISPLAY environment variable.\n";
    struct Case {
        Words argv;
        const char* display;  // "DISPLAY" alone: unset
        std::string err;
    };
    const Case cases[] = {
        {{PEER_PROGRAM, "-x", "--"}, "DISPLAY=localhost:0", usage},
        {{PEER_PROGRAM, "-t", "--"}, "DISPLAY=localhost:0", usage},
        {{PEER_PROGRAM, "-v", "--", "a", "--", "b"}, "DISPLAY=localhost:0", usage},
        {{PEER_PROGRAM, "-display", "localhost:0", "--"}, "DISPLAY=localhost:0", usage},
        {{PEER_PROGRAM, "--"}, "DISPLAY", no_terminal},
        {{PEER_PROGRAM, "--"}, "DISPLAY=nocolon", no_terminal},
        {{PEER_PROGRAM, "--"}, "DISPLAY=:0", "Unknown terminal name .\n"},
        // The listening socket's calls failing, in daemon mode and normal mode.
        {{SYSCALL_FAILS_PROGRAM, "socket", "13", PEER_PROGRAM, "-d", "--"},
         "DISPLAY",
         "socket failed: Permission denied\n"},
        {{SYSCALL_FAILS_PROGRAM, "bind", "98", PEER_PROGRAM, "--"},
         "DISPLAY=localhost:0",
         "bind failed: Address already in use\n"},
        {{SYSCALL_FAILS_PROGRAM, "getsockname", "105", PEER_PROGRAM, "-d", "--"},
         "DISPLAY",
         "getsockaddr failed: No buffer space available\n"},
        {{SYSCALL_FAILS_PROGRAM, "listen", "98", PEER_PROGRAM, "--"},
         "DISPLAY=localhost:0",
         "listen failed: Address already in use\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.argv) + " " + c.display);
        clear();
        remote_shell("", 0);
        const testkit::RunResult run =
            testkit::run(c.argv, with_env({"PATH=" + bin(), "RECORD_DIR=" + records(), c.display}));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.err);
        EXPECT_FALSE(recorded("rsh", "argv"));
    }
}

}  // namespace
