// The table of request codes: for each code its name, which words of its
// request and reply are converted when the client's byte order differs from
// the host's, and the operation that serves it. Conversion and dispatch both
// read this one table.
//
// A family of operations lists its codes in its own source as a span of
// OperationEntry; operations.cpp installs every family into the table.
#pragma once

#include "message.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// Executes one request, already in host order, and fills the reply (its
// length and body; the code is set before). fd is the connection.
using Operation = void (*)(int fd, PeerRequest& request, PeerReply& reply);

struct OperationEntry {
    std::uint8_t code;
    Operation operation;
};
using OperationFamily = std::span<const OperationEntry>;

struct CodeEntry {
    std::string_view name;      // empty: the code is not assigned
    std::uint8_t request_words; // offset of the last converted word; 0: none
    std::uint8_t reply_words;   // the same for the reply
    Operation operation;        // null until its family is installed
};
using CodeTable = std::array<CodeEntry, kCodeCount>;

// The protocol's table without operations.
extern const CodeTable kProtocolCodes;

// kProtocolCodes with the families' operations installed. A family entry for
// an unassigned code, or a second entry for one code, is an error: it is
// reported and nothing is returned.
std::optional<CodeTable> BuildCodeTable(std::span<const OperationFamily> families);

// The table of every family this peer is built with (operations.cpp).
const CodeTable& DefaultCodeTable();

// Convert a message between the client's and the host's order in place:
// the length, then the words the table lists for the message's code.
void SwapRequest(PeerRequest& request, const CodeTable& table = DefaultCodeTable());
void SwapReply(PeerReply& reply, const CodeTable& table = DefaultCodeTable());
