// Starting the client on the terminal through a remote shell found on PATH,
// judging that start by the shell's output and exit status, and the
// host-based fallback that runs the client on the host instead.
#pragma once

#include "cmdline.hpp"

#include <optional>
#include <string>
#include <sys/types.h>

// The first executable remote shell: for each PATH element from left to
// right, each non-empty name of remote_shell_commands in order. An empty
// element tries the name in the current directory.
std::optional<std::string> FindRemoteShellCommand();

// A started remote shell: the read end of the pipe that carries its standard
// output and standard error, and its process.
struct RemoteShell {
    int output = -1;
    pid_t pid = -1;
};

// Runs the remote shell as: its name, terminal, the remote shell's copy of
// the client's command line; standard input from /dev/null. Output -1 when
// it could not be started, with errno telling why.
RemoteShell StartClient(const std::string& terminal, const ClientArgs& client);

// Copies everything the remote shell writes to standard output until it
// closes the pipe, then waits for it. True only when it wrote nothing and
// exited with status 0.
bool RemoteStartSucceeded(const RemoteShell& shell);

// The PATH the host-based client is looked for on: path (or /usr/bin:/bin
// when unset) followed by the non-empty entries of addToPath.
std::string FallbackPath(const char* path);

// The host-based client's name: the last path component of word less one
// prefix ("vqm.", "qzxt." or "xt.").
std::string HostClientName(std::string_view word);

// Execs the host-based client with the client's words as given, or exits
// with status 1 when the fallback is off or the exec fails.
[[noreturn]] void StartBackupClient(const ClientArgs& client);
