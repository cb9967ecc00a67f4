#include "errnomap.hpp"

#include <algorithm>
#include <array>
#include <cerrno>

namespace {

struct Mapping {
    int host;
    std::int32_t wire;
};

// By symbolic name, so the table fits whatever numbers this host gives its
// errors. Where the host gives two names one number, the first listed wins:
// EOPNOTSUPP comes before ENOTSUP, which share a number on some hosts.
constexpr Mapping kMappings[] = {
    {EPERM, 1}, {ENOENT, 2}, {ESRCH, 3}, {EINTR, 4}, {EIO, 5}, {ENXIO, 6}, {E2BIG, 7},
    {ENOEXEC, 8}, {EBADF, 9}, {ECHILD, 10}, {EAGAIN, 11}, {EWOULDBLOCK, 11}, {ENOMEM, 12},
    {EACCES, 13}, {EFAULT, 14}, {EBUSY, 16}, {EEXIST, 17}, {EXDEV, 18}, {ENODEV, 19},
    {ENOTDIR, 20}, {EISDIR, 21}, {EINVAL, 22}, {ENFILE, 23}, {EMFILE, 24}, {ENOTTY, 25},
    {EFBIG, 27}, {ENOSPC, 28}, {ESPIPE, 29}, {EROFS, 30}, {EMLINK, 31}, {EPIPE, 32},

    {ENOTEMPTY, 15}, {ENAMETOOLONG, 26}, {EDEADLK, 33}, {EDEADLOCK, 33}, {ENOLCK, 34},
    {EOPNOTSUPP, 45}, {ENOTSUP, 35}, {EDOM, 37}, {ERANGE, 38}, {ETXTBSY, 63}, {ELOOP, 64},
    {ENOTBLK, 66}, {ENOSYS, 71}, {ENOMSG, 200}, {EIDRM, 201}, {EILSEQ, 204},
    {ENOTSOCK, 50}, {EDESTADDRREQ, 40}, {EMSGSIZE, 36}, {EPROTOTYPE, 41}, {ENOPROTOOPT, 42},
    {EPROTONOSUPPORT, 43}, {ESOCKTNOSUPPORT, 44}, {EPFNOSUPPORT, 46}, {EAFNOSUPPORT, 47},
    {EADDRINUSE, 48}, {EADDRNOTAVAIL, 49}, {EHOSTUNREACH, 65}, {EUSERS, 206},
    {ENETUNREACH, 51}, {ENETRESET, 52}, {ECONNABORTED, 53}, {ECONNRESET, 54}, {ENOBUFS, 55},
    {EISCONN, 56}, {ENOTCONN, 57}, {ESHUTDOWN, 58}, {ETOOMANYREFS, 59}, {ETIMEDOUT, 60},
    {ECONNREFUSED, 61}, {ENETDOWN, 62}, {EHOSTDOWN, 67}, {EINPROGRESS, 68}, {EALREADY, 69},
    {EDQUOT, 207},
};

constexpr std::size_t kTableSize =
    static_cast<std::size_t>(std::ranges::max(kMappings, {}, &Mapping::host).host) + 1;

constexpr std::array<std::int32_t, kTableSize> build()
{
    std::array<std::int32_t, kTableSize> table{};
    std::array<bool, kTableSize> taken{};
    table.fill(kWireEinval);
    for (const Mapping& m : kMappings) {
        const auto index = static_cast<std::size_t>(m.host);
        if (!taken[index])
            table[index] = m.wire;
        taken[index] = true;
    }
    return table;
}

constexpr std::array<std::int32_t, kTableSize> kTable = build();

}  // namespace

const std::span<const std::int32_t> errnomap = kTable;

std::int32_t maperrno(int host_error)
{
    if (host_error < 0 || static_cast<std::size_t>(host_error) >= kTable.size())
        return kWireEinval;
    return kTable[static_cast<std::size_t>(host_error)];
}
