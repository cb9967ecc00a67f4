#include "states.hpp"

#include <iterator>

namespace lng {
namespace {

enum class Match : std::uint8_t {
    Byte,         // exactly the rule's byte
    Blank,        // leading white space or a control byte
    Any,
    AnyAfterEsc,  // any byte once an escape has been examined
};

struct Rule {
    State state;
    Match match;
    unsigned char byte;
    Action action;
    State next;
};

constexpr unsigned char LF = '\n';

using enum State;
using enum Match;
using enum Action;

// The first rule of the state that matches the byte applies.
constexpr Rule rules[] = {
    {Start, Byte, '%', Go, Percent},
    {Start, Blank, 0, Go, Leading},
    {Start, Byte, kEsc, Go, StartEsc},
    {Start, Any, 0, Go, Other},

    {Percent, Byte, '!', Go, PercentBang},
    {Percent, Byte, LF, Go, LineStart},
    {Percent, Any, 0, Go, InLine},

    {PercentBang, Byte, LF, PostScript, PercentBang},
    {PercentBang, Byte, 'P', Go, PercentBangP},
    {PercentBang, Any, 0, Go, InLine},

    {PercentBangP, Byte, 'S', PostScript, PercentBangP},
    {PercentBangP, Byte, LF, Go, LineStart},
    {PercentBangP, Any, 0, Go, InLine},

    {InLine, Byte, LF, Go, LineStart},
    {InLine, Any, 0, Go, InLine},

    {LineStart, Byte, '%', Go, LinePercent},
    {LineStart, Byte, LF, Go, LineStart},
    {LineStart, Any, 0, Go, InLine},

    {LinePercent, Byte, '!', Go, LineBang},
    {LinePercent, Byte, LF, Go, LineStart},
    {LinePercent, Any, 0, Go, InLine},

    {LineBang, Byte, 'P', Go, LineBangP},
    {LineBang, Byte, LF, Go, LineStart},
    {LineBang, Any, 0, Go, InLine},

    {LineBangP, Byte, 'S', PostScript, LineBangP},
    {LineBangP, Byte, LF, Go, LineStart},
    {LineBangP, Any, 0, Go, InLine},

    {Leading, Byte, '%', Go, LinePercent},
    {Leading, Blank, 0, Go, Leading},
    {Leading, Byte, kEsc, Go, StartEsc},
    {Leading, Any, 0, Go, Other},

    {Other, AnyAfterEsc, 0, Stop, Other},
    {Other, Any, 0, Go, Other},

    {StartEsc, Byte, '%', PjlCheck, StartEsc},
    {StartEsc, Any, 0, Go, Other},
};

bool is_blank(unsigned char byte)
{
    switch (byte) {
    case 0x00: case 0x03: case 0x04: case 0x09: case 0x0A:
    case 0x0C: case 0x0D: case 0x14: case 0x20:
        return true;
    default:
        return false;
    }
}

bool matches(const Rule& rule, unsigned char byte, bool esc_seen)
{
    switch (rule.match) {
    case Byte: return byte == rule.byte;
    case Blank: return is_blank(byte);
    case Any: return true;
    case AnyAfterEsc: return esc_seen;
    }
    return false;
}

}  // namespace

Step step(State state, unsigned char byte, bool esc_seen)
{
    for (const Rule& rule : rules)
        if (rule.state == state && matches(rule, byte, esc_seen))
            return {rule.action, rule.next};
    // Every state ends with a catch-all rule, so this is never reached.
    return {Stop, state};
}

}  // namespace lng
