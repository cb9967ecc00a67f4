// kbdtool: keeps the keymap database the X terminals load their keyboards
// from. One command per run, picked by a fixed priority among the flags.
#include "commands.hpp"
#include "database.hpp"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

const char what_string[] = "@(#)kbdtool v1.6";

struct Options {
    bool analyze = false;
    bool dump_keymap = false;
    const char* dump_name = nullptr;
    int dump_id = 0;
    bool add_details = false;
    const char* details_file = nullptr;
    bool dump_details = false;
    const char* details_name = nullptr;
    const char* database = default_database;
    int list_mode = 0;
    bool add_modmap = false;
    const char* modmap_file = nullptr;
    bool dump_modmap = false;
    const char* modmap_name = nullptr;
    bool name_table = false;
    const char* names_file = nullptr;
    bool add_keymap = false;
    const char* keymap_file = nullptr;
    bool what = false;
    const char* what_file = nullptr;
    bool append = true;
    bool zero_numbering = false;
};

void usage()
{
    std::printf("%s\n", what_string + 4);
    std::printf("Edit (Add/Modify) QZ X terminal X11 keymap database.\n");
    std::printf("kbdtool <options>\n");
    std::printf("Options:\n");
    std::printf("  -a : analyze keymap database.\n");
    std::printf("  -d <name> or <id> : Dump a keymap.\n");
    std::printf("  -e <file name> : Add X terminal enhancement data to keymap database.\n");
    std::printf("  -E <enhancement name> : Dump a enhancement data block.\n");
    std::printf("  -k <name> : Name of keymap database file.\n");
    std::printf("              Default is %s.\n", default_database);
    std::printf("  -l : List contents of keymap database.\n");
    std::printf("  -L : List contents of keymap database.\n");
    std::printf("  -m <file name> : Add a modmap to keymap database.\n");
    std::printf("  -M <modmap name> : Dump a modmap.\n");
    std::printf("  -n <file name> : New names for the key device name table.\n");
    std::printf("  -s <file name> : Add keymap to database.\n");
    std::printf("  -W <file name> : Add what(1) string(s) to database.\n");
    std::printf("  -w <file name> : Append what(1) string(s) to database.\n");
    std::printf("  -Z : Number dumped keymaps (comments) starting at zero.\n");
    std::printf("\n");
    std::printf("Notes:\n");
    std::printf("  You can only do one of above options at a time.\n");
    std::printf("  When a new keymap datafile file is written, the new name is:\n");
    std::printf("    <name given in -k (or default)>.new\n");
}

// Returns false on a usage error.
bool scan_options(int argc, char** argv, Options& o)
{
    int c;
    while ((c = getopt(argc, argv, "ad:e:E:k:lLm:M:n:s:W:w:Z")) != -1) {
        switch (c) {
        case 'a': o.analyze = true; break;
        case 'd':
            o.dump_keymap = true;
            // An empty argument counts as a number too: it dumps id 0.
            if (optarg[0] == '\0' || (optarg[0] >= '0' && optarg[0] <= '9'))
                o.dump_id = static_cast<int>(std::strtol(optarg, nullptr, 10));
            else
                o.dump_name = optarg;
            break;
        case 'e': o.add_details = true; o.details_file = optarg; break;
        case 'E': o.dump_details = true; o.details_name = optarg; break;
        case 'k': o.database = optarg; break;
        case 'l': o.list_mode = 1; break;
        case 'L': o.list_mode = 2; break;
        case 'm': o.add_modmap = true; o.modmap_file = optarg; break;
        case 'M': o.dump_modmap = true; o.modmap_name = optarg; break;
        case 'n': o.name_table = true; o.names_file = optarg; break;
        case 's': o.add_keymap = true; o.keymap_file = optarg; break;
        case 'W': o.what = true; o.what_file = optarg; o.append = false; break;
        case 'w': o.what = true; o.what_file = optarg; break;
        case 'Z': o.zero_numbering = true; break;
        default: return false;
        }
    }
    return true;
}

// The commands in the order their flags are tested; the first one set
// runs. A command without a run function is not in this build yet.
struct Command {
    bool (*wanted)(const Options&);
    int (*run)(const Options&);
};

constexpr Command commands[] = {
    {[](const Options& o) { return o.analyze; },
     [](const Options& o) { return analyze_file(o.database); }},
    {[](const Options& o) { return o.dump_keymap; }, nullptr},
    {[](const Options& o) { return o.dump_modmap; }, nullptr},
    {[](const Options& o) { return o.dump_details; }, nullptr},
    {[](const Options& o) { return o.list_mode != 0; },
     [](const Options& o) { return list_contents(o.database, o.list_mode == 1 ? 1 : 0); }},
    {[](const Options& o) { return o.name_table; },
     [](const Options& o) { return add_to_name_table(o.database, o.names_file); }},
    {[](const Options& o) { return o.add_modmap; }, nullptr},
    {[](const Options& o) { return o.add_keymap; }, nullptr},
    {[](const Options& o) { return o.add_details; }, nullptr},
    {[](const Options& o) { return o.what; }, nullptr},
};

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (argc < 2 || !scan_options(argc, argv, o)) {
        usage();
        return 1;
    }
    for (const auto& cmd : commands) {
        if (!cmd.wanted(o))
            continue;
        if (!cmd.run) {
            usage();
            return 1;
        }
        return cmd.run(o) ? 0 : 1;
    }
    return 0;
}
