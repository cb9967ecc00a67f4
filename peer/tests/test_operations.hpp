// Stand-in operations that let the tests drive the loop through every path
// without any host call: each answers under a request code whose word
// layout suits what it shows.
#pragma once

#include "codes.hpp"

namespace peertest {

// REQ_KILL: answers the request's words at 4 and 8 swapped round.
// REQ_STAT: answers, in a 52-byte reply, the request's length at 4 and the
//           length of the string at offset 4 at 8.
// REQ_FORK: answers nothing (a reply of length 0).
// REQ_SETSID: a plain 12-byte reply, result 0.
// REQ_CLOSE: closes the connection under the loop, then answers.
// REQ_GETPID: answers under the unassigned code 4.
OperationFamily TestOperations();

// The table of the connection request and the operations above.
const CodeTable& test_table();

}  // namespace peertest
