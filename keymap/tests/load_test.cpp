// The loader and its lookups, in process: what commands build on.
#include "database.hpp"
#include "fixtures.hpp"

#include <gtest/gtest.h>

namespace {

class Loaded : public ::testing::Test {
protected:
    void load(const dbw::Database& db)
    {
        testkit::write_file(dir.file("db"), db.image());
        testing::internal::CaptureStdout();
        ASSERT_EQ(read_header(dir.file("db").c_str()), HEADER_LOADED);
        ASSERT_EQ(read_kd_name_table(), db.names ? 1 : 0);
        ASSERT_EQ(read_modmap_table(), db.modmaps ? 1 : 0);
        ASSERT_EQ(read_details_name_table(), db.details ? 1 : 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
    void TearDown() override { unload_database(); }

    testkit::TempDir dir;
};

std::vector<std::uint8_t> be_words(std::initializer_list<std::uint32_t> words)
{
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t w : words)
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(w >> shift));
    return bytes;
}

TEST_F(Loaded, TablesHoldTheStoredRecords)
{
    auto db = fixtures::several_devices();
    auto& d = db.details->front();
    d.iftype = -3;
    d.setup_key = 0xffc0;
    d.num_leds = 1;
    d.led_map[255] = -7;
    d.toggle_map[17] = {0xffe5, 1, -2, 3};
    d.numeric_map[0] = 0xffb0;
    load(db);

    ASSERT_EQ(keydevice_name_table.size(), 3u);
    const auto& alias = keydevice_name_table[2];
    EXPECT_EQ(alias.name, "a_key_device_name_that_is_longer_than_forty_chars");
    EXPECT_EQ(alias.modmap_name, "modmap_name_longer_than_15");
    EXPECT_EQ(std::tie(alias.kid, alias.min_keycode, alias.max_keycode, alias.columns),
              std::make_tuple(1, 8, 10, 2));

    ASSERT_EQ(modmap_table.size(), 2u);
    EXPECT_EQ(modmap_table[0].map, (*db.modmaps)[0].map);

    ASSERT_EQ(details_name_table.size(), 1u);
    const auto& got = details_name_table[0];
    EXPECT_EQ(got.name, "usd");
    EXPECT_EQ(got.keyboard_name, "US");
    EXPECT_EQ(got.iftype, -3);
    EXPECT_EQ(got.setup_key, 0xffc0u);
    EXPECT_EQ(got.led_map, d.led_map);
    EXPECT_EQ(got.toggle_map[17].keysym, 0xffe5u);
    EXPECT_EQ(got.toggle_map[17].value2, -2);
    EXPECT_EQ(got.numeric_map, d.numeric_map);
}

TEST_F(Loaded, KeymapsAreReadByKid)
{
    load(fixtures::several_devices());
    EXPECT_EQ(read_keymap(2), be_words({0x61, 0x41, 0, 0, 0x7a, 0x5a, 0, 0}));
    EXPECT_EQ(read_keymap(KID_WHAT_STRINGS),
              (std::vector<std::uint8_t>{'@', '(', '#', ')', 't', 'e', 's', 't', '\n', 0}));
    EXPECT_EQ(read_keymap(99), std::nullopt);
    EXPECT_EQ(calc_keysyms(3968), 992u);
    EXPECT_EQ(calc_keysyms(10), 2u);
}

TEST_F(Loaded, LookupsFindTheFirstMatch)
{
    auto db = fixtures::several_devices();
    db.names->push_back({7, 8, 9, 1, "us", "second"});
    db.modmaps->push_back(dbw::modmap("usmm", {{9, 1}}));
    load(db);

    ASSERT_NE(QZKlookup_kd_by_name("us"), nullptr);
    EXPECT_EQ(QZKlookup_kd_by_name("us")->modmap_name, "usmm");
    EXPECT_EQ(QZKlookup_kd_by_name("US"), nullptr);  // case matters
    EXPECT_EQ(QZKlookup_kd_by_id(1), &keydevice_name_table[0]);
    EXPECT_EQ(QZKlookup_kd_by_id(7), &keydevice_name_table[3]);
    EXPECT_EQ(QZKlookup_modmap("usmm"), &modmap_table[0]);
    EXPECT_EQ(QZKlookup_details_by_name("usd"), &details_name_table[0]);
    EXPECT_EQ(QZKlookup_details_by_name("US"), nullptr);

    // A directory entry dropped in memory is no longer found.
    KeytableHeaderEntry* e = QZKlookup_kd_id(2);
    ASSERT_NE(e, nullptr);
    e->kid = KID_KEYDEVICE_NAMES;
    EXPECT_EQ(QZKlookup_kd_id(2), nullptr);
    EXPECT_EQ(read_keymap(2), std::nullopt);
}

TEST_F(Loaded, OldStyleDatabaseHasNoTables)
{
    load(fixtures::old_style());
    EXPECT_TRUE(keydevice_name_table.empty());
    EXPECT_EQ(read_keymap(3), be_words({5, 6}));
}

TEST_F(Loaded, MissingDatabaseLeavesEverythingEmpty)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_header(dir.file("none").c_str()), HEADER_CANT_OPEN);
    EXPECT_EQ(read_kd_name_table(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Can't open \"" + dir.file("none") + "\"!\n");
    EXPECT_EQ(keysym_file, nullptr);
    EXPECT_TRUE(keytable_header.empty());
    EXPECT_EQ(QZKlookup_kd_id(KID_KEYDEVICE_NAMES), nullptr);
    EXPECT_EQ(read_keymap(1), std::nullopt);
}

}  // namespace
