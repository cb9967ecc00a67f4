// The launcher's command line: which words are the peer's and which the
// client's, what each option sets, the escaping for the remote shell, the
// terminal, and the client command name and command line.
#include "launcher_settings.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using Words = std::vector<std::string>;

std::vector<const char*> pointers(const Words& words)
{
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    return argv;
}

class CommandLine : public peertest::LauncherSettings {};

TEST_F(CommandLine, OptionsEndAtTheLastSeparator)
{
    struct Case {
        Words argv, options, client;
    };
    const Case cases[] = {
        {{"peer", "-v"}, {}, {"peer", "-v"}},
        {{"peer", "-v", "--"}, {"-v"}, {"peer"}},
        {{"peer", "-t5", "--", "-display", "x:0"}, {"-t5"}, {"peer", "-display", "x:0"}},
        {{"peer", "-v", "--", "a", "--", "b"}, {"-v", "--", "a"}, {"peer", "b"}},
        {{"peer"}, {}, {"peer"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.argv));
        ClientArgs client;
        const std::vector<const char*> argv = pointers(c.argv);
        EXPECT_EQ(SplitArgs(static_cast<int>(argv.size()), argv.data(), client), c.options);
        EXPECT_EQ(client.words, c.client);
    }
}

struct Settings {
    int pdaemon = 0, timeout = 100, verbose = 0, failsafe = 1;
    std::optional<std::string> termCmd, terminalName;
    std::string remote_shell = "", add_to_path = "";
    bool operator==(const Settings&) const = default;
};

void PrintTo(const Settings& s, std::ostream* out)
{
    *out << "d" << s.pdaemon << " t" << s.timeout << " v" << s.verbose << " fs" << s.failsafe << " c"
         << s.termCmd.value_or("(null)") << " h" << s.terminalName.value_or("(null)") << " r"
         << s.remote_shell << " p" << s.add_to_path;
}

Settings current()
{
    return {pdaemon,     timeout, verbose, failsafe, termCmd, terminalName, remote_shell_commands[0],
            addToPath[0]};
}

TEST_F(CommandLine, OptionsSetTheirSettings)
{
    struct Case {
        Words options;
        void (*change)(Settings&);  // from the initial settings
    };
    const Case cases[] = {
        {{}, [](Settings&) {}},
        {{"-v", "-d", "-nfs", "-t30"},
         [](Settings& s) {
             s.pdaemon = 1;
             s.timeout = 30;
             s.verbose = 1;
             s.failsafe = 0;
         }},
        {{"-nfs", "-fs", "-t5", "-t7"}, [](Settings& s) { s.timeout = 7; }},
        // What a %d conversion reads: white space, a sign, digits; the rest is ignored.
        {{"-t-5x"}, [](Settings& s) { s.timeout = -5; }},
        {{"-t 8"}, [](Settings& s) { s.timeout = 8; }},
        {{"-t99999999999"}, [](Settings& s) { s.timeout = INT_MAX; }},
        {{"-rremsh", "-p/opt/bin", "-cqzxt.xclock", "-hterm7"},
         [](Settings& s) {
             s.termCmd = "qzxt.xclock";
             s.terminalName = "term7";
             s.remote_shell = "remsh";
             s.add_to_path = "/opt/bin";
         }},
        {{"-help"}, [](Settings& s) { s.terminalName = "elp"; }},
        {{"-c", "-r", "-p"}, [](Settings& s) { s.termCmd = ""; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options));
        TearDown();
        Settings expected;
        c.change(expected);
        EXPECT_TRUE(ProcessArgs(c.options));
        EXPECT_EQ(current(), expected);
    }
}

TEST_F(CommandLine, AnyOtherWordIsRefused)
{
    for (const Words& options : {Words{"-t"}, Words{"-tx"}, Words{"-x"}, Words{"-display"}, Words{"--"},
                                 Words{"-vv"}, Words{"-fsx"}, Words{"-v", ""}}) {
        SCOPED_TRACE(::testing::PrintToString(options));
        EXPECT_FALSE(ProcessArgs(options));
    }
}

TEST_F(CommandLine, ShellMetacharactersAreEscaped)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a b;c", "a\\ b\\;c"},
        {"x|y&z", "x\\|y\\&z"},
        {"say \"hi\" it's", "say\\ \\\"hi\\\"\\ it\\'s"},
        {"\t\n\v\f\r", "\\\t\\\n\\\v\\\f\\\r"},
        {"$`<>()*?\\", "$`<>()*?\\"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
        {"", ""},
        {std::string(600, ';'),
         [] {
             std::string twice;
             for (int i = 0; i < 600; ++i)
                 twice += "\\;";
             return twice;
         }()},
    };
    for (const auto& [word, escaped] : cases)
        EXPECT_EQ(EscapeMetaChars(word), escaped) << word;
}

TEST_F(CommandLine, TerminalFromTheOptionOrTheDisplay)
{
    struct Case {
        std::optional<std::string> option, display, terminal;
    };
    const Case cases[] = {
        {std::nullopt, "term7:0.0", "term7"},
        {std::nullopt, ":0", ""},
        {std::nullopt, "a:b:0", "a"},
        {std::nullopt, "nocolon", std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt},
        {"term9", "term7:0", "term9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.display.value_or("(unset)"));
        terminalName = c.option;
        if (c.display)
            setenv("DISPLAY", c.display->c_str(), 1);
        else
            unsetenv("DISPLAY");
        EXPECT_EQ(GetTerminal(), c.terminal);
    }
}

TEST_F(CommandLine, DisplayAmongTheClientsWordsSetsTheEnvironment)
{
    ProcessClientArgs({{"peer", "-display", "a:0", "x", "-display", "b:0"}, {}});
    EXPECT_STREQ(std::getenv("DISPLAY"), "b:0");
    // A value-less -display at the end changes nothing; neither does the
    // value of the one before when it reads -display.
    ProcessClientArgs({{"peer", "x", "-display"}, {}});
    EXPECT_STREQ(std::getenv("DISPLAY"), "b:0");
    ProcessClientArgs({{"peer", "-display", "-display", "c:0"}, {}});
    EXPECT_STREQ(std::getenv("DISPLAY"), "-display");
}

TEST_F(CommandLine, CommandNameFromTheInvocationName)
{
    struct Case {
        std::optional<std::string> command;
        std::string word, name, word_after;
    };
    const Case cases[] = {
        {std::nullopt, "/usr/local/bin/qzxt.xclock_peer", "xclock", "/usr/local/bin/qzxt.xclock"},
        {std::nullopt, "xt.xclock.peer", "xclock", "xt.xclock"},
        {std::nullopt, "vqm.xclock", "xclock", "vqm.xclock"},
        {std::nullopt, "xclock", "xclock", "xclock"},
        {std::nullopt, "peer", "peer", "peer"},
        {std::nullopt, "qzxt._peer", "_peer", "qzxt._peer"},
        {std::nullopt, "qzxt.vqm.a_peer", "vqm.a", "qzxt.vqm.a"},
        {std::nullopt, "a.peer/xclock", "xclock", "a.peer/xclock"},
        {"qzxt.xclock", "/bin/x_peer", "qzxt.xclock", "/bin/x_peer"},
        {"", "x_peer", "", "x_peer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        termCmd = c.command;
        std::string word = c.word;
        EXPECT_EQ(mapCmd(word), c.name);
        EXPECT_EQ(word, c.word_after);
    }
}

// The steps main takes before the listener exists, and the command line.
ClientArgs prepared(const Words& argv, int port)
{
    ClientArgs client;
    const std::vector<const char*> pointer_argv = pointers(argv);
    prog = argv[0];
    const Words options = SplitArgs(static_cast<int>(argv.size()), pointer_argv.data(), client);
    ProcessClientArgs(client);
    EXPECT_TRUE(ProcessArgs(options));
    EscapeMetaChars(client);
    BuildCommandLine(client, port);
    return client;
}

TEST_F(CommandLine, ClientCommandLineCarriesThePort)
{
    const ClientArgs client =
        prepared({"/bin/qzxt.xclock_peer", "-t30", "--", "-display", "term7:0", "-update", "1"}, 6001);
    const Words expected{"xclock", "-peer", "6001", "-display", "term7:0", "-update", "1"};
    EXPECT_EQ(client.shell, expected);
    EXPECT_EQ(client.words, expected);
    EXPECT_EQ(timeout, 30);
    EXPECT_EQ(GetTerminal(), "term7");
    // The messages that quote the invocation name show it without its suffix.
    EXPECT_EQ(prog, "/bin/qzxt.xclock");
}

TEST_F(CommandLine, OnlyTheRemoteShellsCopyIsEscaped)
{
    const ClientArgs client = prepared({"/my dir/qzxt.my clock_peer", "--", "a b", "x;y"}, 7);
    EXPECT_EQ(client.shell, (Words{"my\\ clock", "-peer", "7", "a\\ b", "x\\;y"}));
    EXPECT_EQ(client.words, (Words{"my clock", "-peer", "7", "a b", "x;y"}));
    // An escaped word 0 is a copy of its own: the invocation name keeps its suffix.
    EXPECT_EQ(prog, "/my dir/qzxt.my clock_peer");

    EXPECT_EQ(prepared({"peer", "-v", "--"}, 9).words, (Words{"peer", "-peer", "9"}));
}

}  // namespace
