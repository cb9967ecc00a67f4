// -n: the name list, the messages, and the exact bytes of the new file.
#include "fixtures.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

using fixtures::kbdtool;

namespace {

// Runs -n with the source on a database image; checks that the database
// itself was left alone.
struct NamesRun {
    testkit::TempDir dir;
    testkit::RunResult result;
    std::string new_file() const { return testkit::read_file(dir.file("db.new")); }
    bool wrote() const { return testkit::file_exists(dir.file("db.new")); }
};

std::unique_ptr<NamesRun> run_names(const std::string& image, const std::string& source)
{
    auto run = std::make_unique<NamesRun>();
    testkit::write_file(run->dir.file("db"), image);
    testkit::write_file(run->dir.file("src"), source);
    run->result = kbdtool(run->dir, {"-k", "db", "-n", "src"});
    EXPECT_EQ(testkit::read_file(run->dir.file("db")), image) << "the database was changed";
    return run;
}

TEST(Names, AddsAndChangesRecords)
{
    const auto db = fixtures::several_devices();
    auto run = run_names(db.image(),
                         "; comment lines and comment tails are skipped\n"
                         " indented lines too\n"
                         "us 1 usmm 8 10 2\n"
                         "de 2 demm 8 -1 2   ; now 2 columns: 8 keysyms make 4 rows\n"
                         "de_alias\t2 demm 8 -1 4\n"
                         "nokeymap 40 xmm 8 20 3\n");
    EXPECT_EQ(run->result.out,
              "\"de\": New info is different from existing info.\n"
              "       New info will replace old.\n");
    EXPECT_EQ(run->result.status, 0);

    auto expect = db;
    (*expect.names)[1] = {2, 8, 11, 2, "de", "demm"};
    expect.names->push_back({2, 8, 9, 4, "de_alias", "demm"});
    expect.names->push_back({40, 8, 20, 3, "nokeymap", "xmm"});
    EXPECT_EQ(run->new_file(), expect.image());
}

TEST(Names, UnchangedRecordRewritesIdenticalFile)
{
    const auto image = fixtures::several_devices().image();
    auto run = run_names(image, "us 1 usmm 8 10 2\n");
    EXPECT_EQ(run->result.status, 0);
    EXPECT_EQ(run->result.out, "");
    EXPECT_EQ(run->new_file(), image);

    // The new file has the mode a plainly created file gets.
    const mode_t mask = umask(0);
    umask(mask);
    struct stat st;
    ASSERT_EQ(stat(run->dir.file("db.new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(Names, ListingOfTheNewFileShowsTheNames)
{
    auto run = run_names(fixtures::old_style().image(), "kbd7 7 mm7 8 9 2\nkbd3 3 mm3 8 9 1\n");
    ASSERT_EQ(run->result.status, 0) << run->result.out;
    auto r = kbdtool(run->dir, {"-k", "db.new", "-l"});
    EXPECT_EQ(r.status, 0);
    // The name block comes first; the two keymaps follow it unchanged.
    EXPECT_EQ(r.out,
              "Contents of db.new:\n"
              "\n===================== Key Device Name Index ===================\n"
              "ID  = Keydevice ID\nMin = Minimum Keycode\nMax = Maximum Keycode\n"
              "C   = Keymap Columns\n\n"
              "  ID  Min Max C Keydevice Name                           Modmap Name\n"
              "  --  --- --- - --------- ----                           ------ ----\n"
              "    7   8   9 2 kbd7                                     mm7\n"
              "    3   8   9 1 kbd3                                     mm3\n"
              "\n\n===================== Modmap Index ===================\n"
              "No modmap table\n"
              "\n\n===================== Database Index ===================\n"
              "Kid = 19998,  offset =     60,  size = 74\n"
              "Kid =     7,  offset =    134,  size = 16\n"
              "Kid =     3,  offset =    150,  size = 8\n");
}

TEST(Names, ReservedKidsAreNotWritten)
{
    // A name under a reserved kid is dropped, and with no name left there
    // is no name block at all.
    const auto image = fixtures::old_style().image();
    auto run = run_names(image, "x 19999 mm 8 10 2\ny 18888 mm 8 10 2\nz 19998 mm 8 10 2\n");
    EXPECT_EQ(run->result.status, 0) << run->result.out;
    EXPECT_EQ(run->new_file(), image);
}

TEST(Names, ManyNamesAndLargeOldBlocks)
{
    auto db = fixtures::several_devices();
    db.whats = std::string(100000, 'w');
    db.keymaps.push_back({60, std::vector<Keysym>(30000, 0x61)});
    std::string source;
    auto expect = db;
    for (int i = 0; i < 250; ++i) {
        const std::string name = "dev" + std::to_string(i);
        source += name + " 1 usmm 8 10 2\n";
        expect.names->push_back({1, 8, 10, 2, name, "usmm"});
    }
    auto run = run_names(db.image(), source);
    EXPECT_EQ(run->result.status, 0) << run->result.out;
    EXPECT_EQ(run->new_file(), expect.image());
}

TEST(Names, LongDatabaseName)
{
    testkit::TempDir dir;
    const std::string name(240, 'k');
    testkit::write_file(dir.file(name), fixtures::several_devices().image());
    testkit::write_file(dir.file("src"), "x 1 usmm 8 10 2\n");
    auto r = kbdtool(dir, {"-k", name, "-n", "src"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(testkit::file_exists(dir.file(name + ".new")));
}

dbw::Database with_big_keymap()
{
    auto db = fixtures::several_devices();
    db.keymaps.push_back({5, std::vector<Keysym>(1000, 0x61)});
    return db;
}

struct ErrorCase {
    const char* what;
    std::string source;
    std::string output;  // before "Errors, key device name table not updated.\n"
    dbw::Database (*make)() = fixtures::several_devices;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.what; }

class NamesError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(NamesError, NothingIsWritten)
{
    const auto& c = GetParam();
    auto run = run_names(c.make().image(), c.source);
    EXPECT_EQ(run->result.out, c.output + "Errors, key device name table not updated.\n");
    EXPECT_EQ(run->result.status, 1);
    EXPECT_EQ(fixtures::files_in(run->dir.path()), (std::vector<std::string>{"db", "src"}));
}

INSTANTIATE_TEST_SUITE_P(
    Kbdtool, NamesError,
    ::testing::Values(
        ErrorCase{"tab_line", "\t\n",
                  "\t\n\n****Syntax error\n"
                  "Key device \"\":  min keycode (0) is less than 8!\n"
                  "Key device \"\":  max keycode (0) out of range (0,255]!\n"
                  "Key device \"\":  columns (0) out of range [1,8]!\n"},
        ErrorCase{"short_line", "good 1 usmm 8 10 2\nus 1 usmm 8\n",
                  "us 1 usmm 8\n\n****Syntax error\n"
                  "Key device \"us\":  max keycode (0) out of range (8,255]!\n"
                  "Key device \"us\":  columns (0) out of range [1,8]!\n"
                  "\"us\": New info is different from existing info.\n"
                  "       New info will replace old.\n"},
        ErrorCase{"no_block_to_calculate_from", "nb 40 xmm 8 -1 2\n",
                  "Key device \"nb\":  Info doesn't exist to calculate max keycode!\n"
                  "Key device \"nb\":  max keycode (-1) out of range (8,255]!\n"},
        ErrorCase{"zero_columns_to_calculate_with", "z 1 usmm 8 -1 0\n",
                  "Key device \"z\":  max keycode (-1) out of range (8,255]!\n"
                  "Key device \"z\":  columns (0) out of range [1,8]!\n"},
        ErrorCase{"calculated_max_too_high", "big 5 usmm 8 -1 4\n",
                  "Key device \"big\":  max keycode (257) out of range (8,255]!\n",
                  with_big_keymap},
        ErrorCase{"new_name_twice", "n1 1 usmm 8 10 2\nn1 2 demm 8 9 4\n",
                  "Key device \"n1\":  named more than once in \"src\"!\n"},
        ErrorCase{"one_bad_line_among_good", "a 1 usmm 8 10 2\nb 1 usmm 8 10 9\nc 1 usmm 8 10 2\n",
                  "Key device \"b\":  columns (9) out of range [1,8]!\n"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Names, UnusableInputsStopBeforeReadingTheList)
{
    testkit::TempDir dir;
    testkit::write_file(dir.file("src"), "x 1 usmm 8 10 2\n");
    auto r = kbdtool(dir, {"-k", "db", "-n", "src"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Can't open \"db\"!\n");

    auto damaged = fixtures::several_devices().image();
    damaged.resize(damaged.size() - 1);
    testkit::write_file(dir.file("db"), damaged);
    r = kbdtool(dir, {"-k", "db", "-n", "src"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\"db\" is damaged: block 18888 does not lie within the file!\n");

    testkit::write_file(dir.file("db"), fixtures::several_devices().image());
    r = kbdtool(dir, {"-k", "db", "-n", "missing"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Could not open \"missing\"!\n");
    EXPECT_FALSE(testkit::file_exists(dir.file("db.new")));
}

TEST(Names, WriteFailureLeavesNoNewFile)
{
    testkit::TempDir dir;
    testkit::write_file(dir.file("db"), fixtures::several_devices().image());
    testkit::write_file(dir.file("src"), "x 1 usmm 8 10 2\n");
    // A 4 KiB file size limit cuts the 8 KiB database short; the write
    // fails instead of the signal ending the process.
    testkit::RunOptions o;
    o.cwd = dir.path();
    auto r = testkit::run({"/bin/sh", "-c",
                           "ulimit -f 8; trap '' XFSZ; exec \"$0\" -k db -n src", KBDTOOL},
                          o);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Unable to write the file db.new\n");
    EXPECT_EQ(fixtures::files_in(dir.path()), (std::vector<std::string>{"db", "src"}));
}

TEST(Names, NewFileThatCannotBeCreated)
{
    testkit::TempDir dir;
    testkit::write_file(dir.file("db"), fixtures::several_devices().image());
    testkit::write_file(dir.file("src"), "x 1 usmm 8 10 2\n");
    ASSERT_EQ(mkdir(dir.file("db.new").c_str(), 0755), 0);
    testkit::write_file(dir.file("db.new/keep"), "");
    auto r = kbdtool(dir, {"-k", "db", "-n", "src"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Unable to create the file db.new");
    EXPECT_EQ(fixtures::files_in(dir.path()), (std::vector<std::string>{"db", "db.new", "src"}));
}

}  // namespace
