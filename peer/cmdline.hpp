// The launcher's command line: the peer's own options and the words of the
// client it starts, the settings the options give, the terminal, and the
// command line the client is started with.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

extern int pdaemon;                              // -d: only listen, print the port, serve whoever connects
extern int timeout;                              // -t: seconds to wait for the client's connection
extern int failsafe;                             // -fs/-nfs: the host-based fallback is allowed
extern std::optional<std::string> termCmd;       // -c: client command name, used unchanged
extern std::optional<std::string> terminalName;  // -h: terminal instead of the display's host
// Directories added to PATH for the host-based client (slot 0 from -p) and
// the remote shell names looked for on PATH (slot 0 from -r); empty entries
// are skipped.
extern std::vector<std::string> addToPath;
extern std::vector<std::string> remote_shell_commands;
extern std::string prog;  // the invocation name

// The client's command line in two copies. Word 0 is the invocation name
// until BuildCommandLine makes it the client command name followed by
// "-peer" and the port. The remote shell's copy has the shell
// metacharacters escaped, since a shell on the terminal reads it again; the
// host-based client is executed directly and gets the words as they were
// given.
struct ClientArgs {
    std::vector<std::string> words;
    std::vector<std::string> shell;
};

// Word 0 and the words after the last "--" go to the client; the words
// between word 0 and that "--" are the peer's options, which are returned.
// Without any "--" every word belongs to the client.
std::vector<std::string> SplitArgs(int argc, const char* const argv[], ClientArgs& client);

// A "-display <value>" among the client's words sets DISPLAY; the last wins.
void ProcessClientArgs(const ClientArgs& client);

// Applies the options to the settings in order. False at the first word that
// is no option, after applying the ones before it.
bool ProcessArgs(const std::vector<std::string>& options);

void Usage();

// The word with a backslash before each white-space character and each of
// ; | & " '.
std::string EscapeMetaChars(std::string_view word);
// Fills the remote shell's copy of the client's words.
void EscapeMetaChars(ClientArgs& client);

// The -h terminal, else the host part of DISPLAY (before its first ':').
std::optional<std::string> GetTerminal();

// The client command name for an invocation name: termCmd when set, else
// the last path component less one prefix ("qzxt.", "xt." or "vqm.") and
// less a "_peer" or ".peer" suffix, which is also cut off word itself.
std::string mapCmd(std::string& word);

// The text after the last '/' of word (all of it when there is none).
std::string_view LastPathComponent(std::string_view word);
// word less the first of prefixes that it begins with, if any.
std::string_view StripOnePrefix(std::string_view word, std::span<const std::string_view> prefixes);

// Makes both copies read: client command name, "-peer", port, client words.
void BuildCommandLine(ClientArgs& client, int port);
