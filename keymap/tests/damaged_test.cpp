// Databases that are not what they claim: each is refused with one clear
// line, exit status 1, and nothing is written.
#include "fixtures.hpp"

#include <gtest/gtest.h>

using fixtures::kbdtool;

namespace {

std::string good() { return fixtures::several_devices().image(); }

// Offset of a reserved table's first record, and the size of its pool.
std::size_t pool_size(const std::string& img, int kid)
{
    return dbw::u32_at(img, dbw::entry(img, kid).offset + 4);
}
std::size_t records_at(const std::string& img, int kid)
{
    return dbw::entry(img, kid).offset + 8 + pool_size(img, kid);
}

struct DamageCase {
    const char* what;
    std::string (*make)();
    const char* message;  // after "Contents of db:\n"
};

const DamageCase damage_cases[] = {
    {"empty_file", [] { return std::string(); }, "\"db\" is not a keymap database file!\n"},
    {"other_text", [] { return std::string("just some text, not a database at all\n"); },
     "\"db\" is not a keymap database file!\n"},
    {"magic_one_char_differs",
     [] {
         auto img = good();
         img[8] = 'm';
         return img;
     },
     "\"db\" is not a keymap database file!\n"},
    {"magic_not_nul_terminated",
     [] {
         auto img = good();
         img[16] = ' ';
         return img;
     },
     "\"db\" is not a keymap database file!\n"},
    {"magic_only", [] { return good().substr(0, 17); },
     "\"db\" is damaged: the file ends inside its header!\n"},
    {"no_header_length", [] { return good().substr(0, 22); },
     "\"db\" is damaged: the file ends inside its header!\n"},
    {"directory_cut_short", [] { return good().substr(0, 24 + 30); },
     "\"db\" is damaged: the directory runs past the end of the file!\n"},
    {"huge_header_length",
     [] {
         auto img = good();
         dbw::put_u32_at(img, 20, 0xfffffff0u);
         return img;
     },
     "\"db\" is damaged: the directory runs past the end of the file!\n"},
    {"block_starts_past_end",
     [] {
         auto img = good();
         dbw::put_u32_at(img, dbw::entry(img, 2).at + 4, static_cast<std::uint32_t>(img.size()));
         return img;
     },
     "\"db\" is damaged: block 2 does not lie within the file!\n"},
    {"block_runs_past_end",
     [] {
         auto img = good();
         dbw::put_u32_at(img, dbw::entry(img, 1).at + 8, 0x7fffffffu);
         return img;
     },
     "\"db\" is damaged: block 1 does not lie within the file!\n"},
    {"negative_offset",
     [] {
         auto img = good();
         dbw::put_u32_at(img, dbw::entry(img, 19997).at + 4, 0x80000000u);
         return img;
     },
     "\"db\" is damaged: block 19997 does not lie within the file!\n"},
    {"truncated_file", [] { auto img = good(); return img.substr(0, img.size() - 100); },
     "\"db\" is damaged: block 18888 does not lie within the file!\n"},
    {"name_count_too_big",
     [] {
         auto img = good();
         dbw::put_u32_at(img, dbw::entry(img, 19998).offset, 4);
         return img;
     },
     "\"db\" is damaged: the key device name table does not fit its block!\n"},
    {"name_pool_too_big",
     [] {
         auto img = good();
         dbw::put_u32_at(img, dbw::entry(img, 19998).offset + 4, 0xffffff00u);
         return img;
     },
     "\"db\" is damaged: the key device name table does not fit its block!\n"},
    {"modmap_count_wraps",
     [] {
         auto img = good();
         // 0x01000001 records of 260 bytes would wrap a 32-bit product.
         dbw::put_u32_at(img, dbw::entry(img, 19999).offset, 0x01000001u);
         return img;
     },
     "\"db\" is damaged: the modmap table does not fit its block!\n"},
    {"details_count_too_big",
     [] {
         auto img = good();
         dbw::put_u32_at(img, dbw::entry(img, 18888).offset, 2);
         return img;
     },
     "\"db\" is damaged: the details table does not fit its block!\n"},
    {"name_offset_past_pool",
     [] {
         auto img = good();
         dbw::put_u32_at(img, records_at(img, 19998),
                         static_cast<std::uint32_t>(pool_size(img, 19998)));
         return img;
     },
     "\"db\" is damaged: a name offset in the key device name table lies outside its name pool!\n"},
    {"modmap_name_offset_past_pool",
     [] {
         auto img = good();
         dbw::put_u32_at(img, records_at(img, 19999) + 260, 0x7fffffffu);
         return img;
     },
     "\"db\" is damaged: a name offset in the modmap table lies outside its name pool!\n"},
    {"name_without_terminator",
     [] {
         auto img = good();
         img[records_at(img, 19998) - 1] = 'X';  // the NUL ending the pool's last string
         return img;
     },
     "\"db\" is damaged: a name in the key device name table has no terminating NUL!\n"},
    {"keyboard_name_without_terminator",
     [] {
         auto img = good();
         img[records_at(img, 18888) - 1] = 'X';
         return img;
     },
     "\"db\" is damaged: a name in the details table has no terminating NUL!\n"},
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.what; }

class Damaged : public ::testing::TestWithParam<DamageCase> {};

TEST_P(Damaged, RefusedWithOneLine)
{
    const auto& c = GetParam();
    testkit::TempDir dir;
    const std::string img = c.make();
    testkit::write_file(dir.file("db"), img);
    for (const char* flag : {"-l", "-L"}) {
        auto r = kbdtool(dir, {"-k", "db", flag});
        EXPECT_EQ(r.status, 1) << flag;
        EXPECT_EQ(r.out, std::string("Contents of db:\n") + c.message) << flag;
        EXPECT_EQ(r.signal, 0);
    }
    EXPECT_EQ(fixtures::files_in(dir.path()), std::vector<std::string>{"db"});
    EXPECT_EQ(testkit::read_file(dir.file("db")), img);
}

INSTANTIATE_TEST_SUITE_P(Kbdtool, Damaged, ::testing::ValuesIn(damage_cases),
                         [](const auto& info) { return std::string(info.param.what); });

// What looks odd but is sound is read as usual.
TEST(Damaged, BytesAfterTheMagicNulAreNotExamined)
{
    testkit::TempDir dir;
    auto img = good();
    img.replace(17, 3, "abc");
    testkit::write_file(dir.file("F1.db"), img);
    auto r = kbdtool(dir, {"-k", "F1.db", "-l"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, fixtures::golden("list-l.out"));
}

TEST(Damaged, HeaderLengthNotAMultipleOfTwelveIgnoresTheRest)
{
    testkit::TempDir dir;
    auto img = good();
    const auto dir_entries = dbw::directory(img);
    // Four spare bytes after the directory; every block moves down by four.
    img.insert(24 + 12 * dir_entries.size(), "\x01\x02\x03\x04", 4);
    dbw::put_u32_at(img, 20, static_cast<std::uint32_t>(12 * dir_entries.size() + 4));
    for (const auto& e : dir_entries)
        dbw::put_u32_at(img, e.at + 4, e.offset + 4);
    testkit::write_file(dir.file("F1.db"), img);
    auto r = kbdtool(dir, {"-k", "F1.db", "-L"});
    EXPECT_EQ(r.status, 0);
    // Same listing, with every block offset four higher.
    std::string expect = fixtures::golden("list-L.out");
    for (const auto& e : dir_entries) {
        auto from = "offset = " + std::string(6 - std::to_string(e.offset).size(), ' ') +
                    std::to_string(e.offset) + ",";
        auto to = "offset = " + std::string(6 - std::to_string(e.offset + 4).size(), ' ') +
                  std::to_string(e.offset + 4) + ",";
        expect.replace(expect.find(from), from.size(), to);
    }
    EXPECT_EQ(r.out, expect);
}

}  // namespace
