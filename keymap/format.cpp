// Parsing the reserved table blocks. Every count and size comes from the
// file, so each is checked against the block before anything is allocated.
#include "bytes.hpp"
#include "database.hpp"

#include <algorithm>
#include <cstring>

using kbd::Cursor;

namespace {

struct Pool {
    std::span<const std::uint8_t> bytes;
    TableError error = TableError::none;

    std::string at(std::uint32_t offset)
    {
        if (offset >= bytes.size()) {
            error = TableError::name_outside_pool;
            return {};
        }
        auto rest = bytes.subspan(offset);
        auto nul = std::find(rest.begin(), rest.end(), std::uint8_t{0});
        if (nul == rest.end()) {
            error = TableError::name_unterminated;
            return {};
        }
        return std::string(rest.begin(), nul);
    }
};

// Reads count, names size and the pool, and checks that count records of
// record_size bytes follow within the block.
bool read_table_head(Cursor& c, std::size_t record_size, std::uint32_t& count, Pool& pool)
{
    count = c.u32();
    std::uint32_t names_size = c.u32();
    pool.bytes = c.bytes(names_size);
    return c.ok() && std::uint64_t{count} * record_size <= c.remaining();
}

template <typename Fill>
TableError parse_table(std::span<const std::uint8_t> block, std::size_t record_size, auto& out,
                       Fill fill)
{
    Cursor c(block);
    std::uint32_t count = 0;
    Pool pool;
    if (!read_table_head(c, record_size, count, pool))
        return TableError::does_not_fit;
    out.clear();
    out.resize(count);
    for (auto& rec : out)
        fill(c, pool, rec);
    if (pool.error != TableError::none) {
        out.clear();
        return pool.error;
    }
    return TableError::none;
}

}  // namespace

TableError parse_kd_name_block(std::span<const std::uint8_t> block,
                               std::vector<KeyDeviceNameEntry>& out)
{
    return parse_table(block, kd_record_size, out, [](Cursor& c, Pool& pool, auto& r) {
        r.name = pool.at(c.u32());
        r.kid = c.i32();
        r.modmap_name = pool.at(c.u32());
        r.min_keycode = c.i32();
        r.max_keycode = c.i32();
        r.columns = c.i32();
    });
}

TableError parse_modmap_block(std::span<const std::uint8_t> block, std::vector<ModmapEntry>& out)
{
    return parse_table(block, modmap_record_size, out, [](Cursor& c, Pool& pool, auto& r) {
        r.name = pool.at(c.u32());
        auto map = c.bytes(r.map.size());
        std::copy(map.begin(), map.end(), r.map.begin());
    });
}

TableError parse_details_block(std::span<const std::uint8_t> block,
                               std::vector<DetailsEntry>& out)
{
    return parse_table(block, details_record_size, out, [](Cursor& c, Pool& pool, auto& r) {
        r.name = pool.at(c.u32());
        r.keyboard_name = pool.at(c.u32());
        r.iftype = c.i32();
        r.language = c.i32();
        r.layout = c.i32();
        r.setup_key = c.u32();
        r.reset_key = c.u32();
        r.numlock_key = c.u32();
        r.setup_key_mask = c.i32();
        r.reset_key_mask = c.i32();
        r.num_leds = c.i32();
        r.num_toggle_keys = c.i32();
        r.num_nonrepeat_keys = c.i32();
        r.num_numericpad_keys = c.i32();
        for (auto& v : r.led_map)
            v = c.i32();
        for (auto& t : r.toggle_map)
            t = {c.u32(), c.i32(), c.i32(), c.i32()};
        for (auto& k : r.nonrepeat_map)
            k = c.u32();
        for (auto& k : r.numeric_map)
            k = c.u32();
    });
}
