#include "dbwriter.hpp"

#include <stdexcept>

namespace dbw {
namespace {

void u32(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xff));
}

void cstr(std::string& pool, const std::string& s)
{
    pool += s;
    pool.push_back('\0');
}

std::string names_block(const std::vector<KeyDeviceNameEntry>& names)
{
    std::string pool, recs;
    for (const auto& n : names) {
        u32(recs, static_cast<std::uint32_t>(pool.size()));
        cstr(pool, n.name);
        u32(recs, static_cast<std::uint32_t>(n.kid));
        u32(recs, static_cast<std::uint32_t>(pool.size()));
        cstr(pool, n.modmap_name);
        u32(recs, static_cast<std::uint32_t>(n.min_keycode));
        u32(recs, static_cast<std::uint32_t>(n.max_keycode));
        u32(recs, static_cast<std::uint32_t>(n.columns));
    }
    std::string b;
    u32(b, static_cast<std::uint32_t>(names.size()));
    u32(b, static_cast<std::uint32_t>(pool.size()));
    return b + pool + recs;
}

std::string modmaps_block(const std::vector<ModmapEntry>& modmaps)
{
    std::string pool, recs;
    for (const auto& m : modmaps) {
        u32(recs, static_cast<std::uint32_t>(pool.size()));
        cstr(pool, m.name);
        recs.append(reinterpret_cast<const char*>(m.map.data()), m.map.size());
    }
    std::string b;
    u32(b, static_cast<std::uint32_t>(modmaps.size()));
    u32(b, static_cast<std::uint32_t>(pool.size()));
    return b + pool + recs;
}

std::string details_block(const std::vector<DetailsEntry>& details)
{
    std::string pool, recs;
    for (const auto& d : details) {
        u32(recs, static_cast<std::uint32_t>(pool.size()));
        cstr(pool, d.name);
        u32(recs, static_cast<std::uint32_t>(pool.size()));
        cstr(pool, d.keyboard_name);
        for (int v : {d.iftype, d.language, d.layout})
            u32(recs, static_cast<std::uint32_t>(v));
        for (Keysym k : {d.setup_key, d.reset_key, d.numlock_key})
            u32(recs, k);
        for (int v : {d.setup_key_mask, d.reset_key_mask, d.num_leds, d.num_toggle_keys,
                      d.num_nonrepeat_keys, d.num_numericpad_keys})
            u32(recs, static_cast<std::uint32_t>(v));
        for (int v : d.led_map)
            u32(recs, static_cast<std::uint32_t>(v));
        for (const auto& t : d.toggle_map) {
            u32(recs, t.keysym);
            for (int v : {t.value1, t.value2, t.value3})
                u32(recs, static_cast<std::uint32_t>(v));
        }
        for (Keysym k : d.nonrepeat_map)
            u32(recs, k);
        for (Keysym k : d.numeric_map)
            u32(recs, k);
    }
    std::string b;
    u32(b, static_cast<std::uint32_t>(details.size()));
    u32(b, static_cast<std::uint32_t>(pool.size()));
    return b + pool + recs;
}

}  // namespace

std::string Database::image() const
{
    std::vector<std::pair<int, std::string>> blocks;
    if (names)
        blocks.emplace_back(KID_KEYDEVICE_NAMES, names_block(*names));
    if (modmaps)
        blocks.emplace_back(KID_MODMAPS, modmaps_block(*modmaps));
    for (const auto& k : keymaps) {
        std::string b;
        for (Keysym s : k.keysyms)
            u32(b, s);
        blocks.emplace_back(k.kid, b);
    }
    if (whats)
        blocks.emplace_back(KID_WHAT_STRINGS, *whats + std::string(1, '\0'));
    if (details)
        blocks.emplace_back(KID_DETAILS, details_block(*details));

    std::string out("QZKeyMap Rev 1.0\0\0\0\0", 20);
    const std::uint32_t header_length = static_cast<std::uint32_t>(12 * blocks.size());
    u32(out, header_length);
    std::uint32_t offset = 24 + header_length;
    for (const auto& [kid, bytes] : blocks) {
        u32(out, static_cast<std::uint32_t>(kid));
        u32(out, offset);
        u32(out, static_cast<std::uint32_t>(bytes.size()));
        offset += static_cast<std::uint32_t>(bytes.size());
    }
    for (const auto& b : blocks)
        out += b.second;
    return out;
}

ModmapEntry modmap(const std::string& name,
                   std::initializer_list<std::pair<int, std::uint8_t>> bits)
{
    ModmapEntry m{name, {}};
    for (auto [keycode, mask] : bits)
        m.map.at(static_cast<std::size_t>(keycode)) = mask;
    return m;
}

DetailsEntry details(const std::string& name, const std::string& keyboard_name)
{
    DetailsEntry d{};
    d.name = name;
    d.keyboard_name = keyboard_name;
    return d;
}

void put_u32_at(std::string& image, std::size_t offset, std::uint32_t v)
{
    std::string b;
    u32(b, v);
    image.replace(offset, 4, b);
}

std::uint32_t u32_at(const std::string& image, std::size_t offset)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = v << 8 | static_cast<unsigned char>(image.at(offset + i));
    return v;
}

std::vector<DirEntry> directory(const std::string& image)
{
    std::vector<DirEntry> dir;
    const std::uint32_t header_length = u32_at(image, 20);
    for (std::size_t at = 24; at + 12 <= 24 + header_length; at += 12)
        dir.push_back({static_cast<int>(u32_at(image, at)), u32_at(image, at + 4),
                       u32_at(image, at + 8), at});
    return dir;
}

DirEntry entry(const std::string& image, int kid)
{
    for (const auto& e : directory(image))
        if (e.kid == kid)
            return e;
    throw std::runtime_error("no directory entry for kid " + std::to_string(kid));
}

}  // namespace dbw
