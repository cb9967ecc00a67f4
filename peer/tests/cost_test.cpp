// What one request costs the loop: reads and writes of the connection, and
// allocations. This executable is linked with read, write and send wrapped
// (see CMakeLists.txt) and counts every call, and every operator new, in
// the serving child; a probe operation reports the counts.
#include "served.hpp"
#include "test_operations.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sys/socket.h>
#include <unistd.h>

namespace {

long reads = 0;
long writes = 0;
long allocations = 0;

}  // namespace

extern "C" {
ssize_t __real_read(int fd, void* buffer, size_t count);
ssize_t __real_write(int fd, const void* buffer, size_t count);
ssize_t __real_send(int fd, const void* buffer, size_t count, int flags);

ssize_t __wrap_read(int fd, void* buffer, size_t count)
{
    ++reads;
    return __real_read(fd, buffer, count);
}

ssize_t __wrap_write(int fd, const void* buffer, size_t count)
{
    ++writes;
    return __real_write(fd, buffer, count);
}

ssize_t __wrap_send(int fd, const void* buffer, size_t count, int flags)
{
    ++writes;
    return __real_send(fd, buffer, count, flags);
}
}

// GCC takes the free below for a mismatch with the new above, which is what
// it pairs with.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {

using namespace peerclient;

void probe(int, PeerRequest&, PeerReply& reply)
{
    reply.set_length(16);
    reply.set_word(4, static_cast<std::uint32_t>(reads));
    reply.set_word(8, static_cast<std::uint32_t>(writes));
    reply.set_word(12, static_cast<std::uint32_t>(allocations));
}

constexpr OperationEntry kProbe[] = {{REQ_WAITPID, probe}};

class Cost : public ::testing::TestWithParam<ByteOrder> {};

INSTANTIATE_TEST_SUITE_P(BothOrders, Cost, ::testing::Values(ByteOrder::little, ByteOrder::big),
                         [](const auto& info) { return std::string(order_name(info.param)); });

TEST_P(Cost, RequestTakesTwoReadsAtMostOneWriteAndNoAllocation)
{
    const ByteOrder o = GetParam();
    peertest::ServedPeer peer(peertest::table_with({peertest::TestOperations(), kProbe}), false);
    Connection client = peer.connect(o);
    client.handshake();
    const auto counts = [&] { return client.call(req::waitpid(o, 0, 0)).waitpid(); };
    constexpr int n = 40;

    const WaitReply start = counts();
    const WaitReply after_probe = counts();
    // The probe is a request with a body, like any other.
    EXPECT_EQ(after_probe.result - start.result, 2);
    EXPECT_EQ(after_probe.errnum - start.errnum, 1);

    for (int i = 0; i < n; ++i)
        client.call(req::kill(o, i, 0));
    const WaitReply after_bodies = counts();
    EXPECT_EQ(after_bodies.result - after_probe.result, 2 * n + 2);
    EXPECT_EQ(after_bodies.errnum - after_probe.errnum, n + 1);

    for (int i = 0; i < n; ++i) {
        client.call(req::header_only(o, REQ_SETSID));
        client.send(req::header_only(o, REQ_FORK));  // answered with nothing at all
    }
    const WaitReply after_headers = counts();
    EXPECT_EQ(after_headers.result - after_bodies.result, 2 * n + 2);
    EXPECT_EQ(after_headers.errnum - after_bodies.errnum, n + 1);

    EXPECT_EQ(after_headers.status, start.status);
}

}  // namespace
