// Translation of the host's error numbers into the numbering of the
// terminal's system library, which the replies carry.
#pragma once

#include <cstdint>
#include <span>

inline constexpr std::int32_t kWireEinval = 22;  // for every number without a counterpart

// Indexed by the host's error number.
extern const std::span<const std::int32_t> errnomap;

// The wire number of a host error number; 22 for 0, for numbers no listed
// error uses and for any value outside the table.
std::int32_t maperrno(int host_error);
