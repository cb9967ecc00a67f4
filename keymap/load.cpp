// Loading a database into the global tables, and the lookups over them.
#include "bytes.hpp"
#include "database.hpp"
#include "messages.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <sys/stat.h>

std::FILE* keysym_file = nullptr;
std::vector<KeytableHeaderEntry> keytable_header;
std::vector<KeyDeviceNameEntry> keydevice_name_table;
std::vector<ModmapEntry> modmap_table;
std::vector<DetailsEntry> details_name_table;

namespace {

std::string loaded_name;  // for the messages about a damaged file

struct TableInfo {
    int kid;
    const char* label;
};
constexpr TableInfo kd_names_info{KID_KEYDEVICE_NAMES, "key device name table"};
constexpr TableInfo modmaps_info{KID_MODMAPS, "modmap table"};
constexpr TableInfo details_info{KID_DETAILS, "details table"};

bool read_exact(std::vector<std::uint8_t>& buf, long offset, std::size_t size)
{
    buf.resize(size);
    if (std::fseek(keysym_file, offset, SEEK_SET) != 0)
        return false;
    return std::fread(buf.data(), 1, size, keysym_file) == size;
}

void report_table_error(TableError e, const TableInfo& info)
{
    switch (e) {
    case TableError::none:
        return;
    case TableError::does_not_fit:
        std::printf(msg::damaged_table_fit, loaded_name.c_str(), info.label);
        return;
    case TableError::name_outside_pool:
        std::printf(msg::damaged_name_outside, loaded_name.c_str(), info.label);
        return;
    case TableError::name_unterminated:
        std::printf(msg::damaged_name_unterminated, loaded_name.c_str(), info.label);
        return;
    }
}

// Reads and parses one reserved table. Returns its error; an absent block
// is not an error and leaves the table empty.
template <typename Entry>
TableError load_table(const TableInfo& info,
                      TableError (*parse)(std::span<const std::uint8_t>, std::vector<Entry>&),
                      std::vector<Entry>& table, bool& present)
{
    table.clear();
    const KeytableHeaderEntry* e = QZKlookup_kd_id(info.kid);
    present = e != nullptr;
    if (!e)
        return TableError::none;
    std::vector<std::uint8_t> block;
    if (!read_exact(block, e->offset, static_cast<std::size_t>(e->size)))
        return TableError::does_not_fit;
    return parse(block, table);
}

template <typename Entry>
int read_table(const TableInfo& info,
               TableError (*parse)(std::span<const std::uint8_t>, std::vector<Entry>&),
               std::vector<Entry>& table, const char* malloc_message)
{
    try {
        bool present = false;
        TableError e = load_table(info, parse, table, present);
        if (e != TableError::none) {
            report_table_error(e, info);
            table.clear();
            return 0;
        }
        return present ? 1 : 0;
    } catch (const std::bad_alloc&) {
        std::printf("%s", malloc_message);
        table.clear();
        return 0;
    }
}

// Parses a reserved table into scratch storage only to see that it is sound.
template <typename Entry>
bool table_sound(const TableInfo& info,
                 TableError (*parse)(std::span<const std::uint8_t>, std::vector<Entry>&))
{
    std::vector<Entry> scratch;
    bool present;
    TableError e = load_table(info, parse, scratch, present);
    report_table_error(e, info);
    return e == TableError::none;
}

// Refuses a file whose blocks or reserved tables do not fit it, so no
// command ever reads outside the data or rewrites a damaged file.
int check_structure(std::uint64_t file_size)
{
    for (const auto& e : keytable_header) {
        if (e.offset < 0 || e.size < 0 ||
            std::uint64_t(e.offset) + std::uint64_t(e.size) > file_size) {
            std::printf(msg::damaged_block, loaded_name.c_str(), e.kid);
            return HEADER_DAMAGED;
        }
    }
    if (!table_sound(kd_names_info, parse_kd_name_block) ||
        !table_sound(modmaps_info, parse_modmap_block) ||
        !table_sound(details_info, parse_details_block))
        return HEADER_DAMAGED;
    return HEADER_LOADED;
}

}  // namespace

int read_header(const char* name)
{
    unload_database();
    loaded_name = name;
    keysym_file = std::fopen(name, "rb");
    if (!keysym_file) {
        std::printf(msg::cant_open, name);
        return HEADER_CANT_OPEN;
    }
    unsigned char head[24] = {};
    std::size_t got = std::fread(head, 1, sizeof head, keysym_file);
    // The magic is compared as a string: its 16 characters and the NUL.
    if (got < 17 || std::memcmp(head, mag_string, 17) != 0) {
        std::printf(msg::not_database, name);
        return HEADER_NOT_DATABASE;
    }
    if (got < sizeof head) {
        std::printf(msg::damaged_header, name);
        return HEADER_DAMAGED;
    }
    struct stat st;
    if (fstat(fileno(keysym_file), &st) != 0 || st.st_size < 0) {
        std::printf(msg::damaged_header, name);
        return HEADER_DAMAGED;
    }
    const auto file_size = static_cast<std::uint64_t>(st.st_size);
    kbd::Cursor c({head + 20, 4});
    const std::uint32_t header_length = c.u32();
    if (24 + std::uint64_t{header_length} > file_size) {
        std::printf(msg::damaged_directory, name);
        return HEADER_DAMAGED;
    }
    try {
        std::vector<std::uint8_t> dir;
        if (!read_exact(dir, 24, header_length)) {
            std::printf(msg::damaged_directory, name);
            return HEADER_DAMAGED;
        }
        kbd::Cursor d(dir);
        keytable_header.resize(header_length / header_entry_size);
        for (auto& e : keytable_header)
            e = {d.i32(), d.i32(), d.i32()};
        int rc = check_structure(file_size);
        if (rc != HEADER_LOADED)
            keytable_header.clear();
        return rc;
    } catch (const std::bad_alloc&) {
        keytable_header.clear();
        std::printf("%s", msg::header_malloc);
        return HEADER_NO_MEMORY;
    }
}

int read_kd_name_table()
{
    return read_table(kd_names_info, parse_kd_name_block, keydevice_name_table,
                      msg::kd_names_malloc);
}

int read_modmap_table()
{
    return read_table(modmaps_info, parse_modmap_block, modmap_table, msg::modmaps_malloc);
}

int read_details_name_table()
{
    return read_table(details_info, parse_details_block, details_name_table, msg::details_malloc);
}

std::optional<std::vector<std::uint8_t>> read_keymap(int kid)
{
    const KeytableHeaderEntry* e = QZKlookup_kd_id(kid);
    if (!e)
        return std::nullopt;
    try {
        std::vector<std::uint8_t> block;
        if (!read_exact(block, e->offset, static_cast<std::size_t>(e->size)))
            return std::nullopt;
        return block;
    } catch (const std::bad_alloc&) {
        std::printf("%s", msg::keymap_malloc);
        return std::nullopt;
    }
}

unsigned calc_keysyms(unsigned size) { return size / 4; }

namespace {
template <typename Table, typename Pred>
auto* first_match(Table& table, Pred pred)
{
    auto it = std::find_if(table.begin(), table.end(), pred);
    return it == table.end() ? nullptr : &*it;
}
}  // namespace

KeytableHeaderEntry* QZKlookup_kd_id(int kid)
{
    return first_match(keytable_header, [kid](const auto& e) { return e.kid == kid; });
}

KeyDeviceNameEntry* QZKlookup_kd_by_id(int kid)
{
    return first_match(keydevice_name_table, [kid](const auto& e) { return e.kid == kid; });
}

KeyDeviceNameEntry* QZKlookup_kd_by_name(const std::string& name)
{
    return first_match(keydevice_name_table, [&](const auto& e) { return e.name == name; });
}

ModmapEntry* QZKlookup_modmap(const std::string& name)
{
    return first_match(modmap_table, [&](const auto& e) { return e.name == name; });
}

DetailsEntry* QZKlookup_details_by_name(const std::string& name)
{
    return first_match(details_name_table, [&](const auto& e) { return e.name == name; });
}

void unload_database()
{
    if (keysym_file)
        std::fclose(keysym_file);
    keysym_file = nullptr;
    keytable_header.clear();
    keydevice_name_table.clear();
    modmap_table.clear();
    details_name_table.clear();
}
