// A writer of keymap database images for tests and samples, written from
// the stored format alone so that it can check what kbdtool reads and
// writes. Blocks are laid out back to back in the order kbdtool's own
// rewrite uses: names, modmaps, keymaps, what strings, details.
#pragma once

#include "database.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dbw {

struct Keymap {
    int kid;
    std::vector<Keysym> keysyms;
};

struct Database {
    std::optional<std::vector<KeyDeviceNameEntry>> names;
    std::optional<std::vector<ModmapEntry>> modmaps;
    std::vector<Keymap> keymaps;
    std::optional<std::string> whats;
    std::optional<std::vector<DetailsEntry>> details;

    std::string image() const;
};

// Helpers to build records and to poke at an image.
ModmapEntry modmap(const std::string& name,
                   std::initializer_list<std::pair<int, std::uint8_t>> bits);
DetailsEntry details(const std::string& name, const std::string& keyboard_name);
void put_u32_at(std::string& image, std::size_t offset, std::uint32_t v);
std::uint32_t u32_at(const std::string& image, std::size_t offset);

struct DirEntry {
    int kid;
    std::uint32_t offset;
    std::uint32_t size;
    std::size_t at;  // where the entry itself lies in the image
};
std::vector<DirEntry> directory(const std::string& image);
DirEntry entry(const std::string& image, int kid);  // the first with kid; throws when absent

}  // namespace dbw
