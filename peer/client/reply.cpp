#include "reply.hpp"

#include <algorithm>
#include <stdexcept>

namespace peerclient {

Reply::Reply(ByteOrder order, std::vector<std::uint8_t> bytes) : order_(order), bytes_(std::move(bytes)) {}

std::uint16_t Reply::length() const
{
    return bytes_.size() < 2 ? 0 : static_cast<std::uint16_t>(get(order_, bytes_.data(), 2));
}

std::uint8_t Reply::code() const
{
    return bytes_.size() < 3 ? 0 : bytes_[2];
}

std::uint32_t Reply::word(std::size_t offset) const
{
    if (offset + 4 > bytes_.size())
        throw std::out_of_range("peer reply of " + std::to_string(bytes_.size()) +
                                " bytes has no word at " + std::to_string(offset));
    return get(order_, &bytes_[offset], 4);
}

std::string Reply::text(std::size_t offset, std::size_t limit) const
{
    if (offset >= bytes_.size())
        return {};
    const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = begin + static_cast<std::ptrdiff_t>(std::min(limit, bytes_.size() - offset));
    return std::string(begin, std::find(begin, end, 0));
}

std::string Reply::string_at(std::size_t& offset) const
{
    std::string s = text(offset, bytes_.size());
    offset = std::min(offset + s.size() + 1, bytes_.size());
    return s;
}

std::vector<std::string> Reply::strings_at(std::size_t& offset, std::int64_t count) const
{
    std::vector<std::string> list;
    for (std::int64_t i = 0; i < count && offset < bytes_.size(); ++i)
        list.push_back(string_at(offset));
    return list;
}

std::string Reply::bytes_at(std::size_t offset, std::int64_t count) const
{
    if (count <= 0 || offset >= bytes_.size())
        return {};
    const std::size_t n = std::min(static_cast<std::size_t>(count), bytes_.size() - offset);
    return std::string(bytes_.begin() + static_cast<std::ptrdiff_t>(offset),
                       bytes_.begin() + static_cast<std::ptrdiff_t>(offset + n));
}

ConnectionReply Reply::connection() const
{
    return {word(4), word(8), word(12)};
}

Status Reply::status() const
{
    return {sword(4), sword(8)};
}

DataReply Reply::read() const
{
    return {sword(4), sword(8), bytes_at(12, sword(4))};
}

DataReply Reply::readlink() const
{
    return read();
}

DataReply Reply::readdir() const
{
    return {sword(4), sword(8), sword(4) == 0 ? text(12, bytes_.size()) : std::string()};
}

DataReply Reply::getcwd() const
{
    return {sword(4), sword(8), sword(4) != 0 ? text(12, bytes_.size()) : std::string()};
}

EnvReply Reply::getenv() const
{
    EnvReply env{sword(4), {}};
    const std::string block = bytes_at(8, env.size);
    for (std::size_t at = 0; at < block.size();) {
        const std::size_t nul = std::min(block.find('\0', at), block.size());
        env.strings.push_back(block.substr(at, nul - at));
        at = nul + 1;
    }
    return env;
}

TimeReply Reply::gettimeofday() const
{
    return {sword(4), sword(8), sword(12), sword(16), sword(20), sword(24)};
}

std::int32_t Reply::id() const
{
    return sword(4);
}

std::string Reply::name() const
{
    return text(4, 64);
}

StatReply Reply::stat() const
{
    return {sword(4), sword(8),  word(12), word(16), word(20), word(24),
            word(28), word(32), word(36), word(40), word(44), word(48)};
}

StatvfsReply Reply::statvfs() const
{
    return {sword(4), sword(8), word(12), word(16), word(20), word(24), word(28), word(32),
            {word(36), word(40), word(44)}};
}

HostEntry Reply::host() const
{
    HostEntry h{sword(4), sword(8), sword(12), sword(16), sword(20), {}, {}, {}};
    std::size_t at = 24;
    h.name = string_at(at);
    h.aliases = strings_at(at, h.alias_count);
    for (std::int32_t i = 0; i < h.address_count && h.address_length > 0 && at < bytes_.size(); ++i) {
        h.addresses.push_back(bytes_at(at, h.address_length));
        at += static_cast<std::size_t>(h.address_length);
    }
    return h;
}

ServiceEntry Reply::service() const
{
    ServiceEntry s{sword(4), sword(8), sword(12), sword(16), {}, {}, {}};
    std::size_t at = 20;
    s.name = string_at(at);
    s.protocol = string_at(at);
    s.aliases = strings_at(at, s.alias_count);
    return s;
}

UserEntry Reply::user() const
{
    UserEntry u{sword(4), sword(8), sword(12), sword(16), {}, {}, {}, {}, {}};
    std::size_t at = 20;
    for (std::string* field : {&u.name, &u.password, &u.gecos, &u.home, &u.shell})
        *field = string_at(at);
    return u;
}

WaitReply Reply::waitpid() const
{
    return {sword(4), sword(8), sword(12)};
}

}  // namespace peerclient
