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

// Analysis and the key device limits
inline constexpr char analyze[] = "Analyze %s\n";
inline constexpr char analyze_old_style[] = "Old style keymap database\n";
inline constexpr char ids_without_keymaps[] = "\nIDs in name table that have no keymaps\n";
inline constexpr char id_without_keymap[] = "    %5d : %s\n";
inline constexpr char devices_without_name[] = "Key devices with no name (listed by ID):\n";
inline constexpr char device_without_name[] = "    %5d\n";
inline constexpr char mismatched_keycodes[] = "\nKey devices with mismatched min/max keycodes:\n";
inline constexpr char mismatched_device[] = "    \"%s\"\n";
inline constexpr char devices_without_modmap[] = "Key devices with no modmap:\n";
inline constexpr char device_missing_modmap[] = "    %s:  missing: %s\n";
inline constexpr char device_without_modmap[] = "    %s\n";
inline constexpr char cross_checks[] = "Modmap, key device name table cross checks:\n";
inline constexpr char min_out_of_range[] = "Key device \"%s\":  min keycode (%d) out of range [0,255]!\n";
inline constexpr char min_below_8[] = "Key device \"%s\":  min keycode (%d) is less than 8!\n";
inline constexpr char max_out_of_range[] = "Key device \"%s\":  max keycode (%d) out of range (%d,255]!\n";
inline constexpr char columns_out_of_range[] = "Key device \"%s\":  columns (%d) out of range [1,8]!\n";

// Rewriting
inline constexpr char cant_create[] = "Unable to create the file %s";
inline constexpr char cant_write[] = "Unable to write the file %s\n";
inline constexpr char database_too_large[] = "Unable to write the file %s: database too large\n";
inline constexpr char write_all_malloc[] = "write_all():  malloc error!\n";

// Key device names
inline constexpr char could_not_open[] = "Could not open \"%s\"!\n";
inline constexpr char syntax_error[] = "%s\n****Syntax error\n";
inline constexpr char cant_calculate_max[] =
    "Key device \"%s\":  Info doesn't exist to calculate max keycode!\n";
inline constexpr char info_differs[] = "\"%s\": New info is different from existing info.\n";
inline constexpr char info_replaces[] = "       New info will replace old.\n";
inline constexpr char name_given_twice[] = "Key device \"%s\":  named more than once in \"%s\"!\n";
inline constexpr char names_out_of_memory[] = "add_to_name_table():  Out of memory!  No changes.\n";
inline constexpr char names_not_updated[] = "Errors, key device name table not updated.\n";

}  // namespace msg
