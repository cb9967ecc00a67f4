#include "fixtures.hpp"

#include <gtest/gtest.h>

using fixtures::kbdtool;

namespace {

struct ListingCase {
    const char* what;
    dbw::Database (*make)();
    const char* db_name;
    const char* flag;
    const char* golden;
};

void PrintTo(const ListingCase& c, std::ostream* os) { *os << c.what; }

class Listing : public ::testing::TestWithParam<ListingCase> {};

TEST_P(Listing, MatchesGoldenOutput)
{
    const auto& c = GetParam();
    testkit::TempDir dir;
    testkit::write_file(dir.file(c.db_name), c.make().image());
    auto r = kbdtool(dir, {"-k", c.db_name, c.flag});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, fixtures::golden(c.golden));
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Kbdtool, Listing,
    ::testing::Values(
        ListingCase{"long", fixtures::several_devices, "F1.db", "-l", "list-l.out"},
        ListingCase{"short", fixtures::several_devices, "F1.db", "-L", "list-L.out"},
        ListingCase{"oldstyle", fixtures::old_style, "old.db", "-l", "list-oldstyle.out"},
        ListingCase{"oldstyle_short", fixtures::old_style, "old.db", "-L", "list-oldstyle.out"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Listing, NameTableWithoutModmapsIsNotOldStyle)
{
    testkit::TempDir dir;
    auto db = fixtures::several_devices();
    db.modmaps.reset();
    testkit::write_file(dir.file("db"), db.image());
    auto r = kbdtool(dir, {"-k", "db", "-L"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("Old style"), std::string::npos);
    EXPECT_NE(r.out.find("-------\nus    "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Index ===================\nNo modmap table\n"), std::string::npos)
        << r.out;
}

TEST(Listing, ModmapsWithoutNameTableIsNotOldStyle)
{
    testkit::TempDir dir;
    auto db = fixtures::several_devices();
    db.names.reset();
    testkit::write_file(dir.file("db"), db.image());
    auto r = kbdtool(dir, {"-k", "db", "-l"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("Old style"), std::string::npos);
    EXPECT_NE(r.out.find("===\nNo key device name table\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Modmap names:\n  usmm\n  demm\n"), std::string::npos) << r.out;
}

TEST(Listing, MissingDatabaseFailsAfterContentsLine)
{
    testkit::TempDir dir;
    auto r = kbdtool(dir, {"-k", "nowhere", "-l"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Contents of nowhere:\nCan't open \"nowhere\"!\n");
}

TEST(Listing, DefaultDatabaseName)
{
    testkit::TempDir dir;
    testkit::write_file(dir.file("xtkeymap_DB"), fixtures::several_devices().image());
    auto r = kbdtool(dir, {"-l"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Contents of xtkeymap_DB:\n", 0), 0u) << r.out;
}

}  // namespace

namespace {

// The bundled sample is made by mksample; a change to either shows here.
TEST(Samples, DatabaseIsWhatMksampleWrites)
{
    testkit::TempDir dir;
    auto r = testkit::run({MKSAMPLE, dir.file("db")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testkit::read_file(dir.file("db")),
              testkit::read_file(std::string(SAMPLES_DIR) + "/xtkeymap_DB"));
}

}  // namespace
