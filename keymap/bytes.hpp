// Big-endian integers as the database stores them, read through a bounded
// cursor: a read past the end sets a sticky flag and yields zeros, so a
// parser reads a whole record and checks once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kbd {

class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> data) : data_(data) {}

    std::uint32_t u32()
    {
        auto b = bytes(4);
        if (b.size() != 4)
            return 0;
        return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 |
               std::uint32_t{b[3]};
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

    // The next n bytes, or an empty span (and the overflow flag) when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t n)
    {
        if (overflow_ || n > remaining()) {
            overflow_ = true;
            return {};
        }
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

    std::size_t remaining() const { return data_.size() - pos_; }
    bool ok() const { return !overflow_; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool overflow_ = false;
};

inline void put_u32(std::string& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v >> 24));
    out.push_back(static_cast<char>(v >> 16));
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v));
}

}  // namespace kbd
