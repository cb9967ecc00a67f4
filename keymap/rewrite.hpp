// Writing a complete new database beside the old one, from the loaded
// tables, the records a command staged and the old blocks.
#pragma once

#include "database.hpp"

#include <span>
#include <vector>

struct NewKeysymBlock {
    std::vector<Keysym> keysyms;  // row after row
    std::size_t size() const { return 4 * keysyms.size(); }  // block bytes
};

// Staged by the keymap and enhancement commands; new_keysyms[i] is the
// data of new_keymaps[i].
extern std::vector<KeyDeviceNameEntry> new_keymaps;
extern std::vector<NewKeysymBlock> new_keysyms;
extern std::vector<DetailsEntry> new_details;
extern int id_seed;  // next candidate for a generated kid

// Kids whose blocks are written afresh from memory, never copied. Setting
// a record's kid to KID_KEYDEVICE_NAMES drops it from the new file.
bool skip_it(int kid);

// Writes db_name + ".new"; 1 when written, 0 after printing why not.
// Only the kid of each new_keymaps record is used; its data is the
// matching entry of new_keysyms. what_strings null means no new block.
int write_all(const char* db_name, std::span<const KeyDeviceNameEntry> new_names,
              std::span<const ModmapEntry> new_modmaps,
              std::span<const KeyDeviceNameEntry> new_keymaps,
              const char* what_strings, std::span<const DetailsEntry> new_details);

// Loads everything a changing command needs. False (after the loader's
// message) when the database cannot be used; a database that does not
// exist is usable only when may_create is set.
bool load_for_change(const char* db_name, bool may_create);
