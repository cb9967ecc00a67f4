// Every host error number against the terminal's numbering, written out
// here by name.
#include "errnomap.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <map>
#include <set>

namespace {

struct Named {
    const char* name;
    int host;
    int wire;
};

#define E(name, wire) Named{#name, name, wire}

const Named kMapped[] = {
    E(EPERM, 1), E(ENOENT, 2), E(ESRCH, 3), E(EINTR, 4), E(EIO, 5), E(ENXIO, 6), E(E2BIG, 7),
    E(ENOEXEC, 8), E(EBADF, 9), E(ECHILD, 10), E(EAGAIN, 11), E(EWOULDBLOCK, 11), E(ENOMEM, 12),
    E(EACCES, 13), E(EFAULT, 14), E(EBUSY, 16), E(EEXIST, 17), E(EXDEV, 18), E(ENODEV, 19),
    E(ENOTDIR, 20), E(EISDIR, 21), E(EINVAL, 22), E(ENFILE, 23), E(EMFILE, 24), E(ENOTTY, 25),
    E(EFBIG, 27), E(ENOSPC, 28), E(ESPIPE, 29), E(EROFS, 30), E(EMLINK, 31), E(EPIPE, 32),
    E(ENOTEMPTY, 15), E(ENAMETOOLONG, 26), E(EDEADLK, 33), E(EDEADLOCK, 33), E(ENOLCK, 34),
    E(ENOTSUP, 35), E(EDOM, 37), E(ERANGE, 38), E(ETXTBSY, 63), E(ELOOP, 64), E(ENOTBLK, 66),
    E(ENOSYS, 71), E(ENOMSG, 200), E(EIDRM, 201), E(EILSEQ, 204), E(ENOTSOCK, 50),
    E(EDESTADDRREQ, 40), E(EMSGSIZE, 36), E(EPROTOTYPE, 41), E(ENOPROTOOPT, 42),
    E(EPROTONOSUPPORT, 43), E(ESOCKTNOSUPPORT, 44), E(EOPNOTSUPP, 45), E(EPFNOSUPPORT, 46),
    E(EAFNOSUPPORT, 47), E(EADDRINUSE, 48), E(EADDRNOTAVAIL, 49), E(EHOSTUNREACH, 65),
    E(EUSERS, 206), E(ENETUNREACH, 51), E(ENETRESET, 52), E(ECONNABORTED, 53), E(ECONNRESET, 54),
    E(ENOBUFS, 55), E(EISCONN, 56), E(ENOTCONN, 57), E(ESHUTDOWN, 58), E(ETOOMANYREFS, 59),
    E(ETIMEDOUT, 60), E(ECONNREFUSED, 61), E(ENETDOWN, 62), E(EHOSTDOWN, 67), E(EINPROGRESS, 68),
    E(EALREADY, 69), E(EDQUOT, 207),
};

// Host errors the terminal has no counterpart for.
const Named kUnmapped[] = {
    E(ECHRNG, 22), E(EL2NSYNC, 22), E(EL3HLT, 22), E(EL3RST, 22), E(ELNRNG, 22), E(EUNATCH, 22),
    E(ENOCSI, 22), E(EL2HLT, 22), E(ECANCELED, 22), E(EBADE, 22), E(EBADR, 22), E(EXFULL, 22),
    E(ENOANO, 22), E(EBADRQC, 22), E(EBADSLT, 22), E(EBFONT, 22), E(ENOSTR, 22), E(ENODATA, 22),
    E(ETIME, 22), E(ENOSR, 22), E(ENONET, 22), E(ENOPKG, 22), E(EREMOTE, 22), E(ENOLINK, 22),
    E(EADV, 22), E(ESRMNT, 22), E(ECOMM, 22), E(EPROTO, 22), E(EMULTIHOP, 22), E(EBADMSG, 22),
    E(EOVERFLOW, 22), E(ENOTUNIQ, 22), E(EBADFD, 22), E(EREMCHG, 22), E(ELIBACC, 22),
    E(ELIBBAD, 22), E(ELIBSCN, 22), E(ELIBMAX, 22), E(ELIBEXEC, 22), E(ERESTART, 22),
    E(ESTRPIPE, 22), E(ESTALE, 22),
};

#undef E

TEST(Errnomap, EveryHostNumberHasItsWireNumber)
{
    // The wire numbers each host number may take: one, or either of two
    // where this host gives two listed names the same number.
    std::map<int, std::set<int>> allowed;
    for (const Named& e : kMapped)
        allowed[e.host].insert(e.wire);
    for (const Named& e : kUnmapped) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(allowed.count(e.host), 0u) << "shares its number with a mapped error";
        EXPECT_EQ(maperrno(e.host), 22);
    }
    for (const Named& e : kMapped) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(allowed[e.host].count(maperrno(e.host)), 1u) << maperrno(e.host);
    }
    // Everything else, the table's whole range and beyond it, is 22.
    for (int host = -200; host < 2000; ++host) {
        if (!allowed.count(host)) {
            EXPECT_EQ(maperrno(host), 22) << host;
        }
    }
    for (int host : {INT_MIN, INT_MIN + 1, INT_MAX})
        EXPECT_EQ(maperrno(host), 22) << host;
    EXPECT_LT(errnomap.size(), 2000u);
}

TEST(Errnomap, SharedHostNumbersTakeOneSettledWireNumber)
{
    EXPECT_EQ(maperrno(EAGAIN), 11);
    EXPECT_EQ(maperrno(EDEADLK), 33);
    // Where ENOTSUP and EOPNOTSUPP share a number, EOPNOTSUPP's wins.
    EXPECT_EQ(maperrno(EOPNOTSUPP), 45);
    if (ENOTSUP != EOPNOTSUPP) {
        EXPECT_EQ(maperrno(ENOTSUP), 35);
    }
}

}  // namespace
