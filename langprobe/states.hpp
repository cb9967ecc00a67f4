// The state machine that looks at a job's first bytes one at a time.
#pragma once

#include <cstdint>

namespace lng {

inline constexpr unsigned char kEsc = 0x1B;

enum class State : std::uint8_t {
    Start = 1,            // first byte of the job
    Percent = 2,          // '%' was byte 1
    PercentBang = 3,      // "%!" were bytes 1 and 2
    PercentBangP = 4,     // "%!P" were bytes 1 to 3
    InLine = 10,
    LineStart = 11,
    LinePercent = 12,     // '%' at the start of a line
    LineBang = 13,        // "%!" at the start of a line
    LineBangP = 14,       // "%!P" at the start of a line
    Leading = 21,         // only leading white space and control bytes so far
    Other = 31,           // other content
    StartEsc = 41,        // ESC at the start of the job
};

enum class Action : std::uint8_t {
    Go,           // move to the next state
    PostScript,   // a PostScript header: the decision is made
    Stop,         // stop looking without a decision
    PjlCheck,     // ESC '%' opened the job: check the PJL sequence
};

struct Step {
    Action action;
    State next;
};

// esc_seen tells whether an escape byte has been examined so far, this one
// included.
Step step(State state, unsigned char byte, bool esc_seen);

}  // namespace lng
