// -l and -L: what a database holds, as the administrator sees it.
#include "commands.hpp"
#include "database.hpp"
#include "messages.hpp"

#include <cstdio>

int list_contents(const char* database, int verbose)
{
    std::printf(msg::contents_of, database);
    if (read_header(database) != HEADER_LOADED)
        return 0;
    const bool have_names = read_kd_name_table() == 1;
    const bool have_modmaps = read_modmap_table() == 1;
    read_details_name_table();

    if (!have_names && !have_modmaps)
        std::fputs(msg::old_style, stdout);

    std::fputs(msg::kd_index_heading, stdout);
    if (!have_names) {
        std::fputs(msg::no_kd_table, stdout);
    } else if (verbose) {
        std::fputs(msg::kd_legend, stdout);
        std::fputs(msg::kd_long_heading, stdout);
        for (const auto& k : keydevice_name_table)
            std::printf(msg::kd_long_line, k.kid, k.min_keycode, k.max_keycode, k.columns,
                        k.name.c_str(), k.modmap_name.c_str());
    } else {
        std::fputs(msg::kd_short_heading, stdout);
        for (const auto& k : keydevice_name_table)
            std::printf(msg::kd_short_line, k.name.c_str(), k.kid, k.modmap_name.c_str(),
                        k.min_keycode, k.max_keycode, k.columns);
    }

    std::fputs(msg::modmap_index_heading, stdout);
    if (have_modmaps) {
        std::fputs(msg::modmap_names, stdout);
        for (const auto& m : modmap_table)
            std::printf(msg::modmap_name_line, m.name.c_str());
    } else {
        std::fputs(msg::no_modmap_table, stdout);
    }

    std::fputs(msg::database_index_heading, stdout);
    for (const auto& e : keytable_header)
        std::printf(msg::directory_line, e.kid, e.offset, e.size);
    return 1;
}
