#include "commands.hpp"
#include "fixtures.hpp"

#include <climits>
#include <gtest/gtest.h>

using fixtures::kbdtool;

namespace {

struct LimitsCase {
    KeyDeviceNameEntry record;
    int result;
    const char* output;
};

TEST(CheckKdStats, ReportsEveryBrokenLimit)
{
    const LimitsCase cases[] = {
        {{1, 8, 255, 8, "k", "m"}, 0, ""},
        {{1, 8, 9, 1, "k", "m"}, 0, ""},
        {{1, 7, 10, 2, "k", "m"}, 1, "Key device \"k\":  min keycode (7) is less than 8!\n"},
        {{1, -1, 10, 2, "k", "m"}, 1, "Key device \"k\":  min keycode (-1) out of range [0,255]!\n"},
        {{1, 256, 300, 2, "k", "m"},
         1,
         "Key device \"k\":  min keycode (256) out of range [0,255]!\n"
         "Key device \"k\":  max keycode (300) out of range (256,255]!\n"},
        {{1, 8, 8, 2, "k", "m"}, 1, "Key device \"k\":  max keycode (8) out of range (8,255]!\n"},
        {{1, 8, 256, 2, "k", "m"}, 1, "Key device \"k\":  max keycode (256) out of range (8,255]!\n"},
        {{1, 8, 10, 0, "k", "m"}, 1, "Key device \"k\":  columns (0) out of range [1,8]!\n"},
        {{1, 8, 10, 9, "k", "m"}, 1, "Key device \"k\":  columns (9) out of range [1,8]!\n"},
        {{1, 300, 10, 0, "k", "m"},
         1,
         "Key device \"k\":  min keycode (300) out of range [0,255]!\n"
         "Key device \"k\":  max keycode (10) out of range (300,255]!\n"
         "Key device \"k\":  columns (0) out of range [1,8]!\n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        const int result = check_kd_stats(c.record);
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
        EXPECT_EQ(result, c.result) << c.output;
    }
}

dbw::Database inconsistent()
{
    dbw::Database db;
    db.names = std::vector<KeyDeviceNameEntry>{
        {1, 8, 10, 2, "us", "usmm"},                  // block holds 7 keysyms, not 6
        {9, 8, 10, 2, "ghost", "usmm"},               // no block
        {2, INT_MIN, INT_MAX, INT_MAX, "huge", "nomm"},  // overflows plain int arithmetic
    };
    db.modmaps = std::vector<ModmapEntry>{dbw::modmap("usmm", {})};
    db.keymaps = {{1, {1, 2, 3, 4, 5, 6, 7}}, {2, {1, 2}}, {7, {1}}};
    return db;
}

dbw::Database names_only()
{
    auto db = fixtures::several_devices();
    db.modmaps.reset();
    return db;
}

struct AnalyzeCase {
    const char* what;
    dbw::Database (*make)();
    const char* expected;
};

void PrintTo(const AnalyzeCase& c, std::ostream* os) { *os << c.what; }

class Analyze : public ::testing::TestWithParam<AnalyzeCase> {};

TEST_P(Analyze, PrintsWhatDoesNotFit)
{
    const auto& c = GetParam();
    testkit::TempDir dir;
    testkit::write_file(dir.file("db"), c.make().image());
    auto r = kbdtool(dir, {"-a", "-k", "db"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kbdtool, Analyze,
    ::testing::Values(
        AnalyzeCase{"one_modmap_missing", fixtures::several_devices,
                    "Analyze db\n"
                    "\nIDs in name table that have no keymaps\n"
                    "Key devices with no name (listed by ID):\n"
                    "    19998\n    19999\n    19997\n    18888\n"
                    "\nKey devices with mismatched min/max keycodes:\n"
                    "Key devices with no modmap:\n"
                    "    a_key_device_name_that_is_longer_than_forty_chars:  missing: "
                    "modmap_name_longer_than_15\n"
                    "Modmap, key device name table cross checks:\n"
                    "Key devices with no modmap:\n"
                    "    a_key_device_name_that_is_longer_than_forty_chars\n"},
        AnalyzeCase{"inconsistent", inconsistent,
                    "Analyze db\n"
                    "\nIDs in name table that have no keymaps\n"
                    "        9 : ghost\n"
                    "Key devices with no name (listed by ID):\n"
                    "    19998\n    19999\n        7\n"
                    "\nKey devices with mismatched min/max keycodes:\n"
                    "    \"us\"\n    \"huge\"\n"
                    "Key devices with no modmap:\n"
                    "    huge:  missing: nomm\n"
                    "Modmap, key device name table cross checks:\n"
                    "Key devices with no modmap:\n"
                    "    huge\n"},
        AnalyzeCase{"old_style", fixtures::old_style,
                    "Analyze db\n"
                    "Old style keymap database\n"
                    "No key device name table\n"
                    "Modmap, key device name table cross checks:\n"},
        AnalyzeCase{"names_without_modmaps", names_only,
                    "Analyze db\n"
                    "Old style keymap database\n"
                    "\nIDs in name table that have no keymaps\n"
                    "Key devices with no name (listed by ID):\n"
                    "    19998\n    19997\n    18888\n"
                    "\nKey devices with mismatched min/max keycodes:\n"
                    "Key devices with no modmap:\n"
                    "    us:  missing: usmm\n"
                    "    de:  missing: demm\n"
                    "    a_key_device_name_that_is_longer_than_forty_chars:  missing: "
                    "modmap_name_longer_than_15\n"
                    "Modmap, key device name table cross checks:\n"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Analyze, FailsOnlyWhenTheDatabaseCannotBeLoaded)
{
    testkit::TempDir dir;
    auto r = kbdtool(dir, {"-k", "nowhere", "-a"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Analyze nowhere\nCan't open \"nowhere\"!\n");

    testkit::write_file(dir.file("text"), "not a database\n");
    r = kbdtool(dir, {"-k", "text", "-a"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Analyze text\n\"text\" is not a keymap database file!\n");
}

TEST(Analyze, OutranksEveryOtherCommand)
{
    testkit::TempDir dir;
    testkit::write_file(dir.file("xtkeymap_DB"), fixtures::old_style().image());
    auto r = kbdtool(dir, {"-l", "-n", "src", "-d", "1", "-M", "m", "-E", "e", "-a"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Analyze xtkeymap_DB\n", 0), 0u) << r.out;
}

}  // namespace
