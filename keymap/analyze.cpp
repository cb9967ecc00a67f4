// -a: cross-checks of the directory, the name table and the modmaps, and
// the key device limits the changing commands enforce.
#include "commands.hpp"
#include "database.hpp"
#include "messages.hpp"

#include <cstdint>
#include <cstdio>

int check_kd_stats(const KeyDeviceNameEntry& k)
{
    const char* name = k.name.c_str();
    int bad = 0;
    if (k.min_keycode < 0 || k.min_keycode > 255) {
        std::printf(msg::min_out_of_range, name, k.min_keycode);
        bad = 1;
    } else if (k.min_keycode < 8) {
        std::printf(msg::min_below_8, name, k.min_keycode);
        bad = 1;
    }
    if (!(k.min_keycode < k.max_keycode && k.max_keycode <= 255)) {
        std::printf(msg::max_out_of_range, name, k.max_keycode, k.min_keycode);
        bad = 1;
    }
    if (k.columns < 1 || k.columns > 8) {
        std::printf(msg::columns_out_of_range, name, k.columns);
        bad = 1;
    }
    return bad;
}

namespace {

void list_missing_modmaps(bool with_modmap_name)
{
    for (const auto& k : keydevice_name_table) {
        if (QZKlookup_modmap(k.modmap_name))
            continue;
        if (with_modmap_name)
            std::printf(msg::device_missing_modmap, k.name.c_str(), k.modmap_name.c_str());
        else
            std::printf(msg::device_without_modmap, k.name.c_str());
    }
}

}  // namespace

int analyze_file(const char* database)
{
    std::printf(msg::analyze, database);
    if (read_header(database) != HEADER_LOADED)
        return 0;
    const bool have_names = read_kd_name_table() == 1;
    const bool have_modmaps = have_names && read_modmap_table() == 1;
    if (!have_names || !have_modmaps)
        std::fputs(msg::analyze_old_style, stdout);
    if (!have_names) {
        std::fputs(msg::no_kd_table, stdout);
    } else {
        std::fputs(msg::ids_without_keymaps, stdout);
        for (const auto& k : keydevice_name_table)
            if (!QZKlookup_kd_id(k.kid))
                std::printf(msg::id_without_keymap, k.kid, k.name.c_str());

        std::fputs(msg::devices_without_name, stdout);
        for (const auto& e : keytable_header)
            if (!QZKlookup_kd_by_id(e.kid))
                std::printf(msg::device_without_name, e.kid);

        std::fputs(msg::mismatched_keycodes, stdout);
        for (const auto& k : keydevice_name_table) {
            const KeytableHeaderEntry* e = QZKlookup_kd_id(k.kid);
            if (!e)
                continue;
            // Wide arithmetic: the figures come from the file and may be anything.
            const std::int64_t rows = std::int64_t{k.max_keycode} - k.min_keycode + 1;
            if (rows * k.columns != std::int64_t{calc_keysyms(static_cast<unsigned>(e->size))})
                std::printf(msg::mismatched_device, k.name.c_str());
        }

        std::fputs(msg::devices_without_modmap, stdout);
        list_missing_modmaps(true);
    }
    std::fputs(msg::cross_checks, stdout);
    if (!have_names || !have_modmaps)
        return 1;
    std::fputs(msg::devices_without_modmap, stdout);
    list_missing_modmaps(false);
    return 1;
}
