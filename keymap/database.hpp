// The keymap database: its stored form, the tables it loads into, and the
// lookups every command uses.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

using Keysym = std::uint32_t;

inline constexpr char mag_string[20] = "QZKeyMap Rev 1.0";  // 16 characters, 4 NULs
inline constexpr const char* default_database = "xtkeymap_DB";

inline constexpr int KID_DETAILS = 18888;
inline constexpr int KID_WHAT_STRINGS = 19997;
inline constexpr int KID_KEYDEVICE_NAMES = 19998;
inline constexpr int KID_MODMAPS = 19999;

// Stored record sizes.
inline constexpr std::size_t header_entry_size = 12;
inline constexpr std::size_t kd_record_size = 24;
inline constexpr std::size_t modmap_record_size = 4 + 256;
inline constexpr std::size_t details_record_size = 7224;

struct KeytableHeaderEntry {
    int kid;
    int offset;
    int size;
};

struct KeyDeviceNameEntry {
    int kid;
    int min_keycode;
    int max_keycode;
    int columns;
    std::string name;
    std::string modmap_name;
};

struct ModmapEntry {
    std::string name;
    std::array<std::uint8_t, 256> map;
};

struct ToggleKeyEntry {
    Keysym keysym;
    int value1;
    int value2;
    int value3;
};

struct DetailsEntry {
    std::string name;
    std::string keyboard_name;
    int iftype;
    int language;
    int layout;
    Keysym setup_key;
    Keysym reset_key;
    Keysym numlock_key;
    int setup_key_mask;
    int reset_key_mask;
    int num_leds;
    int num_toggle_keys;
    int num_nonrepeat_keys;
    int num_numericpad_keys;
    std::array<int, 256> led_map;
    std::array<ToggleKeyEntry, 256> toggle_map;
    std::array<Keysym, 256> nonrepeat_map;
    std::array<Keysym, 256> numeric_map;
};

// Loaded state: one database per process, kept until exit.
extern std::FILE* keysym_file;
extern std::vector<KeytableHeaderEntry> keytable_header;
extern std::vector<KeyDeviceNameEntry> keydevice_name_table;
extern std::vector<ModmapEntry> modmap_table;
extern std::vector<DetailsEntry> details_name_table;

// read_header results.
enum : int {
    HEADER_LOADED = 0,
    HEADER_CANT_OPEN = 1,
    HEADER_NOT_DATABASE = 2,
    HEADER_DAMAGED = 3,  // structure does not fit the file; nothing is trusted
    HEADER_NO_MEMORY = 5,
};

int read_header(const char* name);
int read_kd_name_table();
int read_modmap_table();
int read_details_name_table();
// The block of kid as stored; nothing when the directory has no such kid.
std::optional<std::vector<std::uint8_t>> read_keymap(int kid);
unsigned calc_keysyms(unsigned size);

KeytableHeaderEntry* QZKlookup_kd_id(int kid);
KeyDeviceNameEntry* QZKlookup_kd_by_id(int kid);
KeyDeviceNameEntry* QZKlookup_kd_by_name(const std::string& name);
ModmapEntry* QZKlookup_modmap(const std::string& name);
DetailsEntry* QZKlookup_details_by_name(const std::string& name);

// Drops everything loaded; lets one process load a second database.
void unload_database();

// Parsers of the reserved table blocks, on the block's bytes. They check
// every count, size and name offset against the block.
enum class TableError { none, does_not_fit, name_outside_pool, name_unterminated };
TableError parse_kd_name_block(std::span<const std::uint8_t> block,
                               std::vector<KeyDeviceNameEntry>& out);
TableError parse_modmap_block(std::span<const std::uint8_t> block, std::vector<ModmapEntry>& out);
TableError parse_details_block(std::span<const std::uint8_t> block,
                               std::vector<DetailsEntry>& out);
