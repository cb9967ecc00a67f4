#include "rewrite.hpp"

#include "bytes.hpp"
#include "fileptr.hpp"
#include "messages.hpp"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

std::vector<KeyDeviceNameEntry> new_keymaps;
std::vector<NewKeysymBlock> new_keysyms;
std::vector<DetailsEntry> new_details;
int id_seed = 20000;

using kbd::put_u32;

bool skip_it(int kid)
{
    return kid == KID_KEYDEVICE_NAMES || kid == KID_MODMAPS || kid == KID_DETAILS;
}

namespace {

void put_i32(std::string& out, int v) { put_u32(out, static_cast<std::uint32_t>(v)); }

void put_cstr(std::string& out, const std::string& s)
{
    out += s;
    out.push_back('\0');
}

// Each table block is assembled in memory: count, names size, pool,
// records. Pool offsets are handed out in the order the strings are
// written, old records first, so the two walks cannot disagree.

void write_kd_names(std::string& pool, std::span<const KeyDeviceNameEntry> records)
{
    for (const auto& r : records) {
        if (skip_it(r.kid))
            continue;
        put_cstr(pool, r.name);
        put_cstr(pool, r.modmap_name);
    }
}

std::uint32_t write_keydevice_names_table(std::string& out,
                                          std::span<const KeyDeviceNameEntry> records,
                                          std::uint32_t pool_offset)
{
    for (const auto& r : records) {
        if (skip_it(r.kid))
            continue;
        put_u32(out, pool_offset);
        pool_offset += static_cast<std::uint32_t>(r.name.size() + 1);
        put_i32(out, r.kid);
        put_u32(out, pool_offset);
        pool_offset += static_cast<std::uint32_t>(r.modmap_name.size() + 1);
        put_i32(out, r.min_keycode);
        put_i32(out, r.max_keycode);
        put_i32(out, r.columns);
    }
    return pool_offset;
}

void write_mm_names(std::string& pool, std::span<const ModmapEntry> records)
{
    for (const auto& r : records)
        put_cstr(pool, r.name);
}

std::uint32_t write_modmap_table(std::string& out, std::span<const ModmapEntry> records,
                                 std::uint32_t pool_offset)
{
    for (const auto& r : records) {
        put_u32(out, pool_offset);
        pool_offset += static_cast<std::uint32_t>(r.name.size() + 1);
        out.append(reinterpret_cast<const char*>(r.map.data()), r.map.size());
    }
    return pool_offset;
}

void write_detail_names(std::string& pool, std::span<const DetailsEntry> records)
{
    for (const auto& r : records) {
        put_cstr(pool, r.name);
        put_cstr(pool, r.keyboard_name);
    }
}

std::uint32_t write_detail_names_table(std::string& out, std::span<const DetailsEntry> records,
                                       std::uint32_t pool_offset)
{
    for (const auto& r : records) {
        put_u32(out, pool_offset);
        pool_offset += static_cast<std::uint32_t>(r.name.size() + 1);
        put_u32(out, pool_offset);
        pool_offset += static_cast<std::uint32_t>(r.keyboard_name.size() + 1);
        for (int v : {r.iftype, r.language, r.layout})
            put_i32(out, v);
        for (Keysym k : {r.setup_key, r.reset_key, r.numlock_key})
            put_u32(out, k);
        for (int v : {r.setup_key_mask, r.reset_key_mask, r.num_leds, r.num_toggle_keys,
                      r.num_nonrepeat_keys, r.num_numericpad_keys})
            put_i32(out, v);
        for (int v : r.led_map)
            put_i32(out, v);
        for (const auto& t : r.toggle_map) {
            put_u32(out, t.keysym);
            for (int v : {t.value1, t.value2, t.value3})
                put_i32(out, v);
        }
        for (Keysym k : r.nonrepeat_map)
            put_u32(out, k);
        for (Keysym k : r.numeric_map)
            put_u32(out, k);
    }
    return pool_offset;
}

// One table block from the loaded records and the staged ones; empty when
// no record is left to write.
template <typename Entry, typename Names, typename Records>
std::string table_block(std::span<const Entry> loaded, std::span<const Entry> staged,
                        std::size_t record_size, Names write_names, Records write_records)
{
    std::string pool, records;
    write_names(pool, loaded);
    write_names(pool, staged);
    write_records(records, staged, write_records(records, loaded, 0));
    if (records.empty())
        return {};
    std::string block;
    put_u32(block, static_cast<std::uint32_t>(records.size() / record_size));
    put_u32(block, static_cast<std::uint32_t>(pool.size()));
    return block + pool + records;
}

// Where a block's bytes come from: memory, or the old database.
struct Block {
    int kid;
    std::size_t size;
    const std::string* bytes = nullptr;               // a table or the what strings
    const NewKeysymBlock* keysyms = nullptr;          // a staged keymap
    const KeytableHeaderEntry* old = nullptr;         // copied from keysym_file
};

bool copy_old_block(std::FILE* out, const KeytableHeaderEntry& e)
{
    if (!keysym_file || std::fseek(keysym_file, e.offset, SEEK_SET) != 0)
        return false;
    char buf[65536];
    for (std::size_t left = static_cast<std::size_t>(e.size); left > 0;) {
        std::size_t n = left < sizeof buf ? left : sizeof buf;
        if (std::fread(buf, 1, n, keysym_file) != n || std::fwrite(buf, 1, n, out) != n)
            return false;
        left -= n;
    }
    return true;
}

bool write_block(std::FILE* out, const Block& b)
{
    if (b.old)
        return copy_old_block(out, *b.old);
    std::string bytes;
    const std::string* data = b.bytes;
    if (b.keysyms) {
        for (Keysym k : b.keysyms->keysyms)
            put_u32(bytes, k);
        data = &bytes;
    }
    return std::fwrite(data->data(), 1, data->size(), out) == data->size();
}

bool write_file(std::FILE* out, const std::vector<Block>& blocks)
{
    std::string head(mag_string, sizeof mag_string);
    put_u32(head, static_cast<std::uint32_t>(header_entry_size * blocks.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(24 + header_entry_size * blocks.size());
    for (const auto& b : blocks) {
        put_i32(head, b.kid);
        put_u32(head, offset);
        put_u32(head, static_cast<std::uint32_t>(b.size));
        offset += static_cast<std::uint32_t>(b.size);
    }
    if (std::fwrite(head.data(), 1, head.size(), out) != head.size())
        return false;
    for (const auto& b : blocks)
        if (!write_block(out, b))
            return false;
    return std::fflush(out) == 0 && fsync(fileno(out)) == 0;
}

// Offsets and sizes are stored as signed 32-bit numbers.
bool fits(const std::vector<Block>& blocks)
{
    std::uint64_t end = 24 + header_entry_size * blocks.size();
    for (const auto& b : blocks)
        end += b.size;
    return end <= INT_MAX;
}

}  // namespace

int write_all(const char* db_name, std::span<const KeyDeviceNameEntry> new_names,
              std::span<const ModmapEntry> new_modmaps,
              std::span<const KeyDeviceNameEntry> staged_keymaps, const char* what_strings,
              std::span<const DetailsEntry> staged_details)
{
    const std::string new_name = std::string(db_name) + ".new";
    std::string names, modmaps, details, whats;
    std::vector<Block> blocks;
    try {
        names = table_block<KeyDeviceNameEntry>(keydevice_name_table, new_names, kd_record_size,
                                                write_kd_names, write_keydevice_names_table);
        modmaps = table_block<ModmapEntry>(modmap_table, new_modmaps, modmap_record_size,
                                           write_mm_names, write_modmap_table);
        details = table_block<DetailsEntry>(details_name_table, staged_details,
                                            details_record_size, write_detail_names,
                                            write_detail_names_table);
        if (!names.empty())
            blocks.push_back({KID_KEYDEVICE_NAMES, names.size(), &names});
        if (!modmaps.empty())
            blocks.push_back({KID_MODMAPS, modmaps.size(), &modmaps});
        for (std::size_t i = 0; i < staged_keymaps.size() && i < new_keysyms.size(); ++i)
            blocks.push_back(
                {staged_keymaps[i].kid, new_keysyms[i].size(), nullptr, &new_keysyms[i]});
        for (const auto& e : keytable_header)
            if (!skip_it(e.kid))
                blocks.push_back({e.kid, static_cast<std::size_t>(e.size), nullptr, nullptr, &e});
        if (what_strings) {
            whats = std::string(what_strings) + '\0';
            blocks.push_back({KID_WHAT_STRINGS, whats.size(), &whats});
        }
        if (!details.empty())
            blocks.push_back({KID_DETAILS, details.size(), &details});
    } catch (const std::bad_alloc&) {
        std::fputs(msg::write_all_malloc, stdout);
        return 0;
    }
    if (!fits(blocks)) {
        std::printf(msg::database_too_large, new_name.c_str());
        return 0;
    }

    // Written under a temporary name and renamed into place, so that a
    // failure never leaves a partial new database behind.
    std::string temp = new_name + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        std::printf(msg::cant_create, new_name.c_str());
        return 0;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);  // the mode a plainly created file would get
    FilePtr out(fdopen(fd, "wb"));
    if (!out) {
        close(fd);
        unlink(temp.c_str());
        std::printf(msg::cant_write, new_name.c_str());
        return 0;
    }
    const bool written = write_file(out.get(), blocks);
    const bool closed = std::fclose(out.release()) == 0;
    if (!written || !closed) {
        unlink(temp.c_str());
        std::printf(msg::cant_write, new_name.c_str());
        return 0;
    }
    if (std::rename(temp.c_str(), new_name.c_str()) != 0) {
        unlink(temp.c_str());
        std::printf(msg::cant_create, new_name.c_str());
        return 0;
    }
    return 1;
}

bool load_for_change(const char* db_name, bool may_create)
{
    const int rc = read_header(db_name);
    if (rc != HEADER_LOADED)
        return rc == HEADER_CANT_OPEN && may_create;
    // A table that is in the file but failed to load would be missing from
    // the new file: stop rather than write a database without it.
    const struct {
        int (*read)();
        int kid;
    } tables[] = {{read_kd_name_table, KID_KEYDEVICE_NAMES},
                  {read_modmap_table, KID_MODMAPS},
                  {read_details_name_table, KID_DETAILS}};
    for (const auto& t : tables)
        if (t.read() != 1 && QZKlookup_kd_id(t.kid))
            return false;
    return true;
}
