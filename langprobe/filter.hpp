// One pass over a print job: look at its first bytes while copying them,
// decide its printer language, copy the rest.
#pragma once

namespace lng {

// Exit statuses: the decision, or a failure.
enum Decision : int {
    kPlain = 0,        // none of the languages below; also an empty job
    kPostScript = 1,
    kEscapes = 2,      // escape sequences, but neither of the others
    kPjl = 3,          // PJL Universal Exit Language followed by a PJL command
    kIoFailure = 255,  // a read or write failed (reported on standard error)
};

struct Settings {
    long long scan_length = 1024;  // leading bytes the state machine examines
    bool quiet = false;            // leave the input after the scan unread
};

// Returns the exit status.
int filter(const Settings& settings, int in, int out);

}  // namespace lng
