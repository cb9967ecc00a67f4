#include "fixtures.hpp"

#include <algorithm>
#include <dirent.h>

namespace fixtures {

dbw::Database several_devices()
{
    dbw::Database db;
    db.names = std::vector<KeyDeviceNameEntry>{
        {1, 8, 10, 2, "us", "usmm"},
        {2, 8, 9, 4, "de", "demm"},
        {1, 8, 10, 2, "a_key_device_name_that_is_longer_than_forty_chars",
         "modmap_name_longer_than_15"},
    };
    db.modmaps = std::vector<ModmapEntry>{
        dbw::modmap("usmm", {{50, 0x01}, {66, 0x02}, {37, 0x04}}),
        dbw::modmap("demm", {{50, 0x01}, {64, 0x08}}),
    };
    db.keymaps = {
        {1, {0x61, 0x41, 0x62, 0x42, 0x63, 0x43}},
        {2, {0x61, 0x41, 0, 0, 0x7a, 0x5a, 0, 0}},
    };
    db.whats = "@(#)test\n";
    db.details = std::vector<DetailsEntry>{dbw::details("usd", "US")};
    return db;
}

dbw::Database old_style()
{
    dbw::Database db;
    db.keymaps = {{7, {1, 2, 3, 4}}, {3, {5, 6}}};
    return db;
}

testkit::RunResult kbdtool(const testkit::TempDir& dir, std::vector<std::string> args)
{
    args.insert(args.begin(), KBDTOOL);
    testkit::RunOptions o;
    o.cwd = dir.path();
    return testkit::run(args, o);
}

std::string golden(const std::string& name)
{
    return testkit::read_file(std::string(GOLDEN_DIR) + "/" + name);
}

std::vector<std::string> files_in(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace fixtures
