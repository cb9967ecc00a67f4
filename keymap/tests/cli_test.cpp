#include "fixtures.hpp"

#include <gtest/gtest.h>

using fixtures::kbdtool;

namespace {

struct UsageCase {
    const char* what;
    std::vector<std::string> args;
    const char* stderr_has;  // getopt's own complaint, or "" for none
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.what; }

class UsageError : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageError, PrintsUsageAndExitsOne)
{
    const auto& c = GetParam();
    testkit::TempDir dir;
    testkit::write_file(dir.file("xtkeymap_DB"), fixtures::several_devices().image());
    auto r = kbdtool(dir, c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, fixtures::golden("usage.out"));
    if (*c.stderr_has == '\0') {
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_NE(r.err.find(c.stderr_has), std::string::npos) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kbdtool, UsageError,
    ::testing::Values(UsageCase{"no_arguments", {}, ""},
                      UsageCase{"unknown_option", {"-x"}, "invalid option"},
                      UsageCase{"unknown_after_command", {"-l", "-q"}, "invalid option"},
                      UsageCase{"missing_database_name", {"-l", "-k"}, "requires an argument"},
                      UsageCase{"missing_dump_name", {"-d"}, "requires an argument"},
                      UsageCase{"missing_source_file", {"-s"}, "requires an argument"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Dispatch, NoCommandFlagDoesNothing)
{
    testkit::TempDir dir;
    for (auto args : {std::vector<std::string>{"-k", "db"}, {"-Z"}, {"-k", "db", "-Z", "extra"}}) {
        auto r = kbdtool(dir, args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
    }
}

TEST(Dispatch, LaterListFlagWins)
{
    testkit::TempDir dir;
    testkit::write_file(dir.file("F1.db"), fixtures::several_devices().image());
    EXPECT_EQ(kbdtool(dir, {"-k", "F1.db", "-l", "-L"}).out, fixtures::golden("list-L.out"));
    EXPECT_EQ(kbdtool(dir, {"-k", "F1.db", "-L", "-l"}).out, fixtures::golden("list-l.out"));
}

TEST(Dispatch, LastDatabaseNameWins)
{
    testkit::TempDir dir;
    testkit::write_file(dir.file("F1.db"), fixtures::several_devices().image());
    auto r = kbdtool(dir, {"-k", "missing", "-k", "F1.db", "-l"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, fixtures::golden("list-l.out"));
}

// The listing outranks every changing command: given together, only the
// listing runs and no new database appears.
TEST(Dispatch, ListingOutranksChangingCommands)
{
    testkit::TempDir dir;
    testkit::write_file(dir.file("F1.db"), fixtures::several_devices().image());
    testkit::write_file(dir.file("src"), "x 1 y 8 10 2\n");
    for (const char* flag : {"-n", "-m", "-s", "-e", "-W", "-w"}) {
        auto r = kbdtool(dir, {"-k", "F1.db", flag, "src", "-l"});
        EXPECT_EQ(r.status, 0) << flag;
        EXPECT_EQ(r.out, fixtures::golden("list-l.out")) << flag;
        EXPECT_FALSE(testkit::file_exists(dir.file("F1.db.new"))) << flag;
    }
}

}  // namespace
