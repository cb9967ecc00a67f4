// Writes the bundled sample database: mksample <output file>.
// Three keyboards (one with an alias name), their modmaps, enhancement data
// for two of them and a what-string block.
#include "dbwriter.hpp"
#include "testkit/files.hpp"

#include <X11/X.h>
#include <X11/keysym.h>
#include <cstdio>
#include <exception>

namespace {

using Row = std::vector<Keysym>;

// Rows from keycode `first` on, padded to `columns` keysyms.
dbw::Keymap keymap(int kid, std::size_t columns, const std::vector<Row>& rows)
{
    dbw::Keymap k{kid, {}};
    for (auto row : rows) {
        row.resize(columns, NoSymbol);
        k.keysyms.insert(k.keysyms.end(), row.begin(), row.end());
    }
    return k;
}

const std::vector<Row> us_rows = {
    {XK_Escape}, {XK_1, XK_exclam}, {XK_2, XK_at}, {XK_3, XK_numbersign},
    {XK_4, XK_dollar}, {XK_5, XK_percent}, {XK_6, XK_asciicircum}, {XK_7, XK_ampersand},
    {XK_8, XK_asterisk}, {XK_9, XK_parenleft}, {XK_0, XK_parenright}, {XK_minus, XK_underscore},
    {XK_equal, XK_plus}, {XK_BackSpace}, {XK_Tab}, {XK_q, XK_Q}, {XK_w, XK_W}, {XK_e, XK_E},
    {XK_r, XK_R}, {XK_t, XK_T}, {XK_y, XK_Y}, {XK_u, XK_U}, {XK_i, XK_I}, {XK_o, XK_O},
    {XK_p, XK_P}, {XK_bracketleft, XK_braceleft}, {XK_bracketright, XK_braceright},
    {XK_Return}, {XK_Control_L}, {XK_a, XK_A}, {XK_s, XK_S}, {XK_d, XK_D}, {XK_f, XK_F},
    {XK_g, XK_G}, {XK_h, XK_H}, {XK_j, XK_J}, {XK_k, XK_K}, {XK_l, XK_L},
    {XK_semicolon, XK_colon}, {XK_apostrophe, XK_quotedbl}, {XK_grave, XK_asciitilde},
    {XK_Shift_L}, {XK_backslash, XK_bar}, {XK_z, XK_Z}, {XK_x, XK_X}, {XK_c, XK_C},
    {XK_v, XK_V}, {XK_b, XK_B}, {XK_n, XK_N}, {XK_m, XK_M}, {XK_comma, XK_less},
    {XK_period, XK_greater}, {XK_slash, XK_question}, {XK_Shift_R}, {XK_KP_Multiply},
    {XK_Alt_L}, {XK_space}, {XK_Caps_Lock}, {XK_F1}, {XK_F2}, {XK_F3}, {XK_F4}, {XK_F5},
    {XK_F6}, {XK_F7}, {XK_F8}, {XK_F9}, {XK_F10}, {XK_Num_Lock}, {XK_Scroll_Lock},
    {XK_KP_7, XK_KP_Home}, {XK_KP_8, XK_KP_Up}, {XK_KP_9, XK_KP_Prior},
    {XK_KP_Subtract}, {XK_KP_4, XK_KP_Left}, {XK_KP_5, XK_KP_Begin},
    {XK_KP_6, XK_KP_Right}, {XK_KP_Add}, {XK_KP_1, XK_KP_End}, {XK_KP_2, XK_KP_Down},
    {XK_KP_3, XK_KP_Next}, {XK_KP_0, XK_KP_Insert}, {XK_KP_Decimal, XK_KP_Delete},
};

const std::vector<Row> de_rows = {
    {XK_Escape}, {XK_1, XK_exclam, XK_onesuperior}, {XK_2, XK_quotedbl, XK_twosuperior},
    {XK_3, XK_section, XK_threesuperior}, {XK_4, XK_dollar}, {XK_5, XK_percent},
    {XK_6, XK_ampersand}, {XK_7, XK_slash, XK_braceleft}, {XK_8, XK_parenleft, XK_bracketleft},
    {XK_9, XK_parenright, XK_bracketright}, {XK_0, XK_equal, XK_braceright},
    {XK_ssharp, XK_question, XK_backslash}, {XK_dead_acute, XK_dead_grave}, {XK_BackSpace},
    {XK_Tab}, {XK_q, XK_Q, XK_at}, {XK_w, XK_W}, {XK_e, XK_E, XK_EuroSign}, {XK_r, XK_R},
    {XK_t, XK_T}, {XK_z, XK_Z}, {XK_u, XK_U}, {XK_i, XK_I}, {XK_o, XK_O}, {XK_p, XK_P},
    {XK_udiaeresis, XK_Udiaeresis}, {XK_plus, XK_asterisk, XK_asciitilde}, {XK_Return},
    {XK_Control_L}, {XK_a, XK_A}, {XK_s, XK_S}, {XK_d, XK_D}, {XK_f, XK_F}, {XK_g, XK_G},
    {XK_h, XK_H}, {XK_j, XK_J}, {XK_k, XK_K}, {XK_l, XK_L}, {XK_odiaeresis, XK_Odiaeresis},
    {XK_adiaeresis, XK_Adiaeresis}, {XK_dead_circumflex, XK_degree}, {XK_Shift_L},
    {XK_numbersign, XK_apostrophe}, {XK_y, XK_Y}, {XK_x, XK_X}, {XK_c, XK_C}, {XK_v, XK_V},
    {XK_b, XK_B}, {XK_n, XK_N}, {XK_m, XK_M, XK_mu}, {XK_comma, XK_semicolon},
    {XK_period, XK_colon}, {XK_minus, XK_underscore}, {XK_Shift_R}, {XK_KP_Multiply},
    {XK_Alt_L}, {XK_space}, {XK_Caps_Lock}, {XK_less, XK_greater, XK_bar},
    {XK_Mode_switch}, {XK_Num_Lock},
};

const std::vector<Row> terminal_rows = {
    {XK_F1}, {XK_F2}, {XK_F3}, {XK_F4}, {XK_F5}, {XK_Find}, {XK_Insert}, {XK_Select},
    {XK_Prior}, {XK_Next}, {XK_Up}, {XK_Down}, {XK_Left}, {XK_Right}, {XK_Help},
    {XK_Menu}, {XK_KP_F1}, {XK_KP_F2}, {XK_KP_F3}, {XK_KP_F4}, {XK_KP_Enter},
    {XK_Escape}, {XK_Delete}, {XK_Return}, {XK_space},
};

DetailsEntry us_details()
{
    DetailsEntry d = dbw::details("us_pc101_enh", "US PC 101-key");
    d.iftype = 1;
    d.language = 1;
    d.layout = 101;
    d.setup_key = XK_F3;
    d.reset_key = XK_Pause;
    d.numlock_key = XK_Num_Lock;
    d.setup_key_mask = 0x04;  // Control
    d.reset_key_mask = 0x0c;  // Control + Mod1
    d.num_leds = 3;
    d.led_map[0] = 76;  // keycode of Num_Lock
    d.led_map[1] = 65;  // Caps_Lock
    d.led_map[2] = 77;  // Scroll_Lock
    d.num_toggle_keys = 2;
    d.toggle_map[0] = {XK_Caps_Lock, 65, 1, 0};
    d.toggle_map[1] = {XK_Num_Lock, 76, 2, 0};
    d.num_nonrepeat_keys = 4;
    d.nonrepeat_map[0] = XK_Shift_L;
    d.nonrepeat_map[1] = XK_Shift_R;
    d.nonrepeat_map[2] = XK_Control_L;
    d.nonrepeat_map[3] = XK_Caps_Lock;
    d.num_numericpad_keys = 4;
    d.numeric_map[0] = XK_KP_0;
    d.numeric_map[1] = XK_KP_1;
    d.numeric_map[2] = XK_KP_2;
    d.numeric_map[3] = XK_KP_Decimal;
    return d;
}

DetailsEntry de_details()
{
    DetailsEntry d = dbw::details("de_pc102_enh", "German PC 102-key");
    d.iftype = 1;
    d.language = 3;
    d.layout = 102;
    d.setup_key = XK_F3;
    d.reset_key = XK_Pause;
    d.numlock_key = XK_Num_Lock;
    d.setup_key_mask = 0x04;
    d.reset_key_mask = 0x0c;
    d.num_leds = 2;
    d.led_map[0] = 68;
    d.led_map[1] = 65;
    d.num_toggle_keys = 1;
    d.toggle_map[0] = {XK_Caps_Lock, 65, 1, 0};
    d.num_nonrepeat_keys = 2;
    d.nonrepeat_map[0] = XK_Shift_L;
    d.nonrepeat_map[1] = XK_Shift_R;
    return d;
}

dbw::Database sample()
{
    dbw::Database db;
    const int us_max = 8 + static_cast<int>(us_rows.size()) - 1;
    const int de_max = 8 + static_cast<int>(de_rows.size()) - 1;
    const int vt_max = 86 + static_cast<int>(terminal_rows.size()) - 1;
    db.names = std::vector<KeyDeviceNameEntry>{
        {1, 8, us_max, 2, "us_pc101", "us_pc101_mm"},
        {2, 8, de_max, 4, "de_pc102", "de_pc102_mm"},
        {3, 86, vt_max, 1, "terminal_keypad", "terminal_mm"},
        {1, 8, us_max, 2, "pc101", "us_pc101_mm"},
    };
    db.modmaps = std::vector<ModmapEntry>{
        dbw::modmap("us_pc101_mm",
                    {{49, ShiftMask}, {61, ShiftMask}, {65, LockMask},
                     {36, ControlMask}, {63, Mod1Mask}, {76, Mod2Mask}}),
        dbw::modmap("de_pc102_mm", {{49, ShiftMask}, {61, ShiftMask}, {65, LockMask},
                                    {36, ControlMask}, {63, Mod1Mask}, {67, Mod3Mask}}),
        dbw::modmap("terminal_mm", {}),
    };
    db.keymaps = {keymap(1, 2, us_rows), keymap(2, 4, de_rows), keymap(3, 1, terminal_rows)};
    db.whats = "@(#)xtkeymap_DB sample database 1.0\n@(#)keyboards: us_pc101 de_pc102 "
               "terminal_keypad\n";
    db.details = std::vector<DetailsEntry>{us_details(), de_details()};
    return db;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mksample <output file>\n");
        return 2;
    }
    try {
        testkit::write_file(argv[1], sample().image());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mksample: %s\n", e.what());
        return 1;
    }
    return 0;
}
