// Exact-length transfers: pieces gathered, end of file, errors, signals that
// interrupt the waits and the transfers, and descriptors beyond what select
// can watch.
#include "transfer.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Pair {
    int fd[2] = {-1, -1};
    explicit Pair(bool socket)
    {
        const int rc = socket ? socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fd) : pipe2(fd, O_CLOEXEC);
        if (rc != 0)
            throw std::runtime_error("pair");
    }
    ~Pair()
    {
        close_end(0);
        close_end(1);
    }
    void close_end(int i)
    {
        if (fd[i] >= 0)
            close(fd[i]);
        fd[i] = -1;
    }
    int reader() const { return fd[0]; }
    int writer() const { return fd[1]; }
};

// Runs body in a child that ends when it returns; the child is reaped by
// finish(), which gives its exit status.
class Helper {
public:
    template <typename F>
    explicit Helper(F body)
    {
        pid_ = fork();
        if (pid_ == 0) {
            alarm(10);
            _exit(body());
        }
    }
    ~Helper() { finish(); }
    int finish()
    {
        int status = 0;
        if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
};

// SIGALRM every few milliseconds for as long as the object lives, without
// SA_RESTART, so blocking calls fail with EINTR or return short.
class Interruptions {
public:
    Interruptions()
    {
        struct sigaction action {};
        action.sa_handler = [](int) { count = count + 1; };
        sigaction(SIGALRM, &action, &old_);
        const itimerval every{{0, 2000}, {0, 2000}};
        setitimer(ITIMER_REAL, &every, nullptr);
    }
    ~Interruptions()
    {
        const itimerval off{};
        setitimer(ITIMER_REAL, &off, nullptr);
        sigaction(SIGALRM, &old_, nullptr);
    }
    static inline volatile sig_atomic_t count = 0;

private:
    struct sigaction old_ {};
};

void pause_ms(int ms)
{
    usleep(static_cast<useconds_t>(ms) * 1000);
}

TEST(Transfer, ReadGathersPiecesUntilTheCountOrEndOfFile)
{
    for (const bool socket : {false, true}) {
        SCOPED_TRACE(socket ? "socket" : "pipe");
        Pair pair(socket);
        Helper writer([&] {
            for (const char* piece : {"abc", "defg", "hij"}) {
                pause_ms(20);
                if (write(pair.writer(), piece, std::strlen(piece)) < 0)
                    return 1;
            }
            return 0;
        });
        pair.close_end(1);
        char buffer[16] = {};
        EXPECT_EQ(local_readx(pair.reader(), buffer, 7), 7);
        EXPECT_EQ(std::string(buffer, 7), "abcdefg");
        // End of file after part of the count gives that part, then 0.
        EXPECT_EQ(local_readx(pair.reader(), buffer, 10), 3);
        EXPECT_EQ(std::string(buffer, 3), "hij");
        EXPECT_EQ(local_readx(pair.reader(), buffer, 10), 0);
        EXPECT_EQ(writer.finish(), 0);
    }
}

TEST(Transfer, CountOfZeroOrLessTransfersNothing)
{
    char byte = 0;
    for (int count : {0, -1}) {
        EXPECT_EQ(local_readx(-1, &byte, count), 0);
        EXPECT_EQ(local_writex(-1, &byte, count), 0);
    }
}

TEST(Transfer, FailureBeforeAnyByteGivesMinusOne)
{
    char buffer[4] = {};
    Pair pair(false);
    const int closed = dup(pair.reader());
    close(closed);
    for (int fd : {-1, closed}) {
        EXPECT_EQ(local_readx(fd, buffer, 4), -1);
        EXPECT_EQ(local_writex(fd, buffer, 4), -1);
    }
}

TEST(Transfer, SignalsDuringTheWaitAreAbsorbed)
{
    Pair pair(true);
    Helper writer([&] {
        pause_ms(100);
        return write(pair.writer(), "late", 4) == 4 ? 0 : 1;
    });
    char buffer[4] = {};
    int got = 0;
    {
        Interruptions signals;
        got = local_readx(pair.reader(), buffer, 4);
        EXPECT_GT(Interruptions::count, 0);
    }
    EXPECT_EQ(got, 4);
    EXPECT_EQ(std::string(buffer, 4), "late");
    EXPECT_EQ(writer.finish(), 0);
}

TEST(Transfer, WriteCarriesOnThroughSignalsAndShortWrites)
{
    for (const bool socket : {false, true}) {
        SCOPED_TRACE(socket ? "socket" : "pipe");
        Pair pair(socket);
        const std::string data(1 << 20, 'w');
        // A slow reader keeps the writer blocked on a full buffer, where
        // the signals interrupt it.
        Helper reader([&] {
            close(pair.writer());
            std::size_t total = 0;
            char chunk[8192];
            for (;;) {
                pause_ms(1);
                const ssize_t n = read(pair.reader(), chunk, sizeof chunk);
                if (n <= 0)
                    return total == data.size() ? 0 : 1;
                total += static_cast<std::size_t>(n);
            }
        });
        pair.close_end(0);
        int written = 0;
        {
            Interruptions signals;
            written = local_writex(pair.writer(), data.data(), static_cast<int>(data.size()));
        }
        pair.close_end(1);
        EXPECT_EQ(written, static_cast<int>(data.size()));
        EXPECT_EQ(reader.finish(), 0);
    }
}

TEST(Transfer, WriteToAGoneSocketFailsWithoutSigpipe)
{
    Pair pair(true);
    pair.close_end(0);
    Helper child([&] {
        signal(SIGPIPE, SIG_DFL);
        const int n = local_writex(pair.writer(), "x", 1);
        return n == -1 && errno == EPIPE ? 0 : 1;
    });
    EXPECT_EQ(child.finish(), 0);
}

TEST(Transfer, DescriptorsBeyondSelectsReachWork)
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    const int high = FD_SETSIZE + 100;
    if (limit.rlim_cur <= static_cast<rlim_t>(high)) {
        if (limit.rlim_max <= static_cast<rlim_t>(high))
            GTEST_SKIP() << "descriptor limit too low";
        limit.rlim_cur = static_cast<rlim_t>(high) + 1;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    Pair pair(true);
    ASSERT_EQ(dup2(pair.reader(), high), high);
    Helper writer([&] {
        pause_ms(20);
        return write(pair.writer(), "far", 3) == 3 ? 0 : 1;
    });
    char buffer[3] = {};
    EXPECT_EQ(local_readx(high, buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "far");
    close(high);
    EXPECT_EQ(writer.finish(), 0);
}

}  // namespace
