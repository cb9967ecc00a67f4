// Databases the kbdtool tests share, and running kbdtool on them.
#pragma once

#include "dbwriter.hpp"
#include "testkit/files.hpp"
#include "testkit/process.hpp"

#include <string>
#include <vector>

namespace fixtures {

// Three key devices (one an alias of the first, with names too long for
// the listing columns), two modmaps, two keymaps, what strings, details.
dbw::Database several_devices();

// Keymap blocks only: no name table, no modmap table.
dbw::Database old_style();

// Runs kbdtool in dir with the arguments.
testkit::RunResult kbdtool(const testkit::TempDir& dir, std::vector<std::string> args);

std::string golden(const std::string& name);

// The names in a directory, sorted, without dot files.
std::vector<std::string> files_in(const std::string& dir);

}  // namespace fixtures
