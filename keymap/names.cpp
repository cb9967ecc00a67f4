// -n: adds key device names to the name table and changes existing ones.
#include "commands.hpp"
#include "database.hpp"
#include "fileptr.hpp"
#include "messages.hpp"
#include "rewrite.hpp"
#include "source.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

namespace {

// One line of the name list: "name kid modmap min max columns".
bool scan_name_line(const char* line, KeyDeviceNameEntry& r)
{
    char name[sizeof(LineBuffer)] = "";
    char modmap[sizeof(LineBuffer)] = "";
    r.kid = r.min_keycode = r.max_keycode = r.columns = 0;
    const int n = std::sscanf(line, "%149s %d %149s %d %d %d", name, &r.kid, modmap,
                              &r.min_keycode, &r.max_keycode, &r.columns);
    r.name = name;
    r.modmap_name = modmap;
    return n == 6;
}

// Maximum -1 asks for the keycode range the keymap block actually holds.
bool calculate_max_keycode(KeyDeviceNameEntry& r)
{
    const KeytableHeaderEntry* e = QZKlookup_kd_id(r.kid);
    if (!e) {
        std::printf(msg::cant_calculate_max, r.name.c_str());
        return false;
    }
    // Without a column count there is nothing to divide by; the limits
    // check reports the columns.
    if (r.columns <= 0)
        return true;
    const std::int64_t rows = calc_keysyms(static_cast<unsigned>(e->size)) / r.columns;
    r.max_keycode = static_cast<int>(r.min_keycode + rows - 1);
    return true;
}

bool same_info(const KeyDeviceNameEntry& a, const KeyDeviceNameEntry& b)
{
    return a.kid == b.kid && a.modmap_name == b.modmap_name && a.min_keycode == b.min_keycode &&
           a.max_keycode == b.max_keycode && a.columns == b.columns;
}

}  // namespace

int add_to_name_table(const char* database, const char* source)
{
    if (!load_for_change(database, false))
        return 0;
    FilePtr in(std::fopen(source, "r"));
    if (!in) {
        std::printf(msg::could_not_open, source);
        return 0;
    }
    std::vector<KeyDeviceNameEntry> staged;
    bool errors = false;
    LineBuffer line;
    try {
        while (read_a_line(in.get(), line)) {
            KeyDeviceNameEntry r;
            const bool scanned = scan_name_line(line.data(), r);
            if (!scanned) {
                errors = true;
                std::printf(msg::syntax_error, line.data());
            }
            if (r.max_keycode == -1 && !calculate_max_keycode(r))
                errors = true;
            if (check_kd_stats(r))
                errors = true;

            if (KeyDeviceNameEntry* old = QZKlookup_kd_by_name(r.name)) {
                if (!same_info(*old, r)) {
                    std::printf(msg::info_differs, r.name.c_str());
                    std::fputs(msg::info_replaces, stdout);
                    *old = r;
                }
                continue;
            }
            // Two lines adding the same new name would store it twice, and
            // only the first copy could ever be found.
            if (scanned && std::any_of(staged.begin(), staged.end(),
                            [&](const auto& s) { return s.name == r.name; })) {
                std::printf(msg::name_given_twice, r.name.c_str(), source);
                errors = true;
                continue;
            }
            staged.push_back(std::move(r));
        }
    } catch (const std::bad_alloc&) {
        std::fputs(msg::names_out_of_memory, stdout);
        return 0;
    }
    if (errors) {
        std::fputs(msg::names_not_updated, stdout);
        return 0;
    }
    return write_all(database, staged, {}, {}, nullptr, {});
}
