// Every text the peer's protocol core prints, in one place.
#pragma once

namespace msg {

// Service loop
inline constexpr char connection_eof[] = "Connection EOF\n";
inline constexpr char connection_length[] = "Connection length incorrect.\n";
inline constexpr char elapsed[] = "%.3g ";
inline constexpr char write_failure[] = "Write failure\n";
inline constexpr char nothing_there[] = "Nothing there EOF (%d)\n";
inline constexpr char trouble_reading[] = "Trouble reading request\n";

// Connection request
inline constexpr char request_connection[] = "Request: Connection\n";
inline constexpr char swapping[] = "Swapping the requests\n";
inline constexpr char unknown_protocol[] = "Connection failed, unknown protocol\n";

// Dispatch and conversion
inline constexpr char unknown_call[] = "Unknown function call %d\n";
inline constexpr char internal_unknown_call[] = "internal error, Unknown function call %d\n";
inline constexpr char unassigned_operation[] =
    "internal error, operation installed for unassigned request code %d\n";
inline constexpr char operation_twice[] =
    "internal error, two operations installed for request code %d\n";

}  // namespace msg
