// Every text kbdtool prints, in one place.
#pragma once

namespace msg {

// Loading
inline constexpr char cant_open[] = "Can't open \"%s\"!\n";
inline constexpr char not_database[] = "\"%s\" is not a keymap database file!\n";
inline constexpr char header_malloc[] = "read_header(): malloc error!\n";
inline constexpr char kd_names_malloc[] = "read_kd_name_table():  malloc error!\n";
inline constexpr char modmaps_malloc[] = "read_modmap_table():  malloc error!\n";
inline constexpr char details_malloc[] = "read_details_name_table():  malloc error!\n";
inline constexpr char keymap_malloc[] = "read_keymap():  Malloc error!\n";

// A database whose structure does not fit the file is refused whole.
inline constexpr char damaged_header[] = "\"%s\" is damaged: the file ends inside its header!\n";
inline constexpr char damaged_directory[] =
    "\"%s\" is damaged: the directory runs past the end of the file!\n";
inline constexpr char damaged_block[] =
    "\"%s\" is damaged: block %d does not lie within the file!\n";
inline constexpr char damaged_table_fit[] = "\"%s\" is damaged: the %s does not fit its block!\n";
inline constexpr char damaged_name_outside[] =
    "\"%s\" is damaged: a name offset in the %s lies outside its name pool!\n";
inline constexpr char damaged_name_unterminated[] =
    "\"%s\" is damaged: a name in the %s has no terminating NUL!\n";

// Listing
inline constexpr char contents_of[] = "Contents of %s:\n";
inline constexpr char old_style[] = "Old style keymap database.\n";
inline constexpr char kd_index_heading[] =
    "\n===================== Key Device Name Index ===================\n";
inline constexpr char no_kd_table[] = "No key device name table\n";
inline constexpr char kd_legend[] =
    "ID  = Keydevice ID\n"
    "Min = Minimum Keycode\n"
    "Max = Maximum Keycode\n"
    "C   = Keymap Columns\n"
    "\n";
inline constexpr char kd_long_heading[] =
    "  ID  Min Max C Keydevice Name                           Modmap Name\n"
    "  --  --- --- - --------- ----                           ------ ----\n";
inline constexpr char kd_long_line[] = "%5d %3d %3d %1d %-40s %s\n";
inline constexpr char kd_short_heading[] =
    "                            Keydevice        Modmap    Min      Max\n"
    "Keydevice Name                 ID             Name   Keycode  Keycode   Columns\n"
    "-------- ----                 -----          ------  -------  -------   -------\n";
inline constexpr char kd_short_line[] = "%-30s %5d %15s   %3d       %3d        %d\n";
inline constexpr char modmap_index_heading[] =
    "\n\n===================== Modmap Index ===================\n";
inline constexpr char modmap_names[] = "Modmap names:\n";
inline constexpr char modmap_name_line[] = "  %s\n";
inline constexpr char no_modmap_table[] = "No modmap table\n";
inline constexpr char database_index_heading[] =
    "\n\n===================== Database Index ===================\n";
inline constexpr char directory_line[] = "Kid = %5d,  offset = %6d,  size = %d\n";

}  // namespace msg
