// Every text langprobe prints, in one place.
#pragma once

namespace msg {

inline constexpr char usage[] = "usage: %s [-l scanlength] [-q]\n";
inline constexpr char write_error[] = "lng: error on write";
inline constexpr char read_error[] = "lng: error on read";

}  // namespace msg
