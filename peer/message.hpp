// The two message buffers of a connection and the byte reversals that
// convert them from and to the client's order.
#pragma once

#include "wire.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <span>

constexpr std::uint16_t swaps(std::uint16_t value)
{
    return static_cast<std::uint16_t>((value << 8) | (value >> 8));
}

constexpr std::uint32_t swapl(std::uint32_t value)
{
    return (value << 24) | ((value & 0xff00) << 8) | ((value >> 8) & 0xff00) | (value >> 24);
}

// One message of up to kMessageSize bytes: the 4-byte header (16-bit
// length, code, a reserved byte) and the body. Words are read and written
// in host order at fixed offsets; whether they are in the client's order
// depends on where the message is in the loop. Accesses outside the buffer
// read 0 and write nothing, so a bad offset can never reach other memory.
//
// One byte past the buffer is always NUL and the loop ends each request
// with a NUL just after its length, so every string taken from a request
// ends inside that request.
class PeerMessage {
public:
    std::uint16_t length() const { return get<std::uint16_t>(0); }
    void set_length(std::size_t length) { put(0, static_cast<std::uint16_t>(length)); }
    std::uint8_t code() const { return bytes_[2]; }
    void set_code(std::uint8_t code) { bytes_[2] = code; }

    std::uint32_t word(std::size_t offset) const { return get<std::uint32_t>(offset); }
    std::int32_t sword(std::size_t offset) const { return static_cast<std::int32_t>(word(offset)); }
    void set_word(std::size_t offset, std::uint32_t value) { put(offset, value); }

    // The NUL-terminated string at offset; past the end, the empty string.
    const char* string_at(std::size_t offset) const
    {
        return reinterpret_cast<const char*>(&bytes_[offset < kMessageSize ? offset : kMessageSize]);
    }
    // The offset just after the NUL of the string at offset.
    std::size_t after_string(std::size_t offset) const
    {
        return offset < kMessageSize ? offset + std::strlen(string_at(offset)) + 1 : kMessageSize;
    }

    // Marks the end of a request that was just read.
    void terminate(std::size_t length) { bytes_[length < kMessageSize ? length : kMessageSize] = 0; }

    std::span<std::uint8_t, kMessageSize> bytes() { return std::span(bytes_).first<kMessageSize>(); }
    std::span<const std::uint8_t, kMessageSize> bytes() const
    {
        return std::span(bytes_).first<kMessageSize>();
    }

private:
    template <typename T>
    T get(std::size_t offset) const
    {
        T value = 0;
        if (offset <= kMessageSize - sizeof value)
            std::memcpy(&value, &bytes_[offset], sizeof value);
        return value;
    }
    template <typename T>
    void put(std::size_t offset, T value)
    {
        if (offset <= kMessageSize - sizeof value)
            std::memcpy(&bytes_[offset], &value, sizeof value);
    }

    std::array<std::uint8_t, kMessageSize + 1> bytes_{};
};

struct PeerRequest : PeerMessage {};
struct PeerReply : PeerMessage {};
