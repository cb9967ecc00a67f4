// The byte order a client speaks in, and integers written and read in it
// regardless of the host's own order.
#pragma once

#include <bit>
#include <cstdint>

namespace peerclient {

enum class ByteOrder { little, big };

constexpr ByteOrder host_order()
{
    return std::endian::native == std::endian::little ? ByteOrder::little : ByteOrder::big;
}

constexpr ByteOrder other_order(ByteOrder order)
{
    return order == ByteOrder::little ? ByteOrder::big : ByteOrder::little;
}

constexpr const char* order_name(ByteOrder order)
{
    return order == ByteOrder::little ? "little" : "big";
}

// Stores the low `width` bytes of value at out in the given order.
constexpr void put(ByteOrder order, std::uint8_t* out, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (order == ByteOrder::little ? i : width - 1 - i);
        out[i] = static_cast<std::uint8_t>(value >> shift);
    }
}

constexpr std::uint32_t get(ByteOrder order, const std::uint8_t* in, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (order == ByteOrder::little ? i : width - 1 - i);
        value |= static_cast<std::uint32_t>(in[i]) << shift;
    }
    return value;
}

}  // namespace peerclient
