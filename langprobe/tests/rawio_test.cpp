// Interrupted reads: nothing in langprobe's own process raises signals, but
// the reading helpers must not take an interruption for an error.
#include "rawio.hpp"

#include "child.hpp"

#include <array>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t alarms = 0;
int go_fd = -1;

// Once the reader has surely been interrupted a few times, tell the writer
// to send its data.
extern "C" void on_alarm(int)
{
    const int seen = alarms + 1;
    alarms = seen;
    if (seen == 5 && go_fd >= 0) {
        const char go = 'g';
        [[maybe_unused]] ssize_t ignored = write(go_fd, &go, 1);
    }
}

// Keeps SIGALRM arriving every few milliseconds, without SA_RESTART, while
// the test reads; puts the old state back afterwards.
class AlarmStorm {
public:
    explicit AlarmStorm(int notify_fd = -1)
    {
        alarms = 0;
        go_fd = notify_fd;
        struct sigaction sa {};
        sa.sa_handler = on_alarm;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;
        sigaction(SIGALRM, &sa, &old_);
        const itimerval every{{0, 1000}, {0, 1000}};
        setitimer(ITIMER_REAL, &every, nullptr);
    }
    ~AlarmStorm()
    {
        const itimerval off{};
        setitimer(ITIMER_REAL, &off, nullptr);
        sigaction(SIGALRM, &old_, nullptr);
    }

private:
    struct sigaction old_ {};
};

// A child that waits for the go signal, then writes the data in one piece.
pid_t start_writer(const lptest::Pipe& go, const lptest::Pipe& data, const std::string& bytes)
{
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(10);  // never outlive a broken test
        char c;
        if (read(go.read_end, &c, 1) == 1
            && write(data.write_end, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            _exit(1);
        _exit(0);
    }
    return pid;
}

TEST(RawIo, InterruptedReadsAreRetried)
{
    for (bool upto : {false, true}) {
        SCOPED_TRACE(upto ? "read_upto" : "read_some");
        lptest::Pipe go, data;
        const pid_t writer = start_writer(go, data, "-12345X@PJL");
        ASSERT_GT(writer, 0);
        std::array<char, 11> buf{};
        ssize_t got = 0;
        {
            AlarmStorm storm(go.write_end);
            got = upto ? lng::read_upto(data.read_end, buf) : lng::read_some(data.read_end, buf);
        }
        waitpid(writer, nullptr, 0);
        EXPECT_GE(alarms, 5);
        ASSERT_EQ(got, 11) << std::strerror(errno);
        EXPECT_EQ(std::string(buf.data(), buf.size()), "-12345X@PJL");
    }
}

// A pipe write larger than the pipe, interrupted again and again while a
// slow reader drains it, comes back short or with EINTR; every byte must
// still arrive once, in order.
TEST(RawIo, InterruptedWritesAreCompleted)
{
    std::string bytes(1 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    lptest::Pipe data;
    const pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        alarm(10);
        data.close_write();
        std::string got;
        char buf[4096];
        ssize_t n = 0;
        while ((n = read(data.read_end, buf, sizeof buf)) > 0) {
            got.append(buf, static_cast<std::size_t>(n));
            usleep(200);
        }
        _exit(got == bytes ? 0 : 1);
    }
    bool ok = false;
    {
        AlarmStorm storm;
        ok = lng::write_all(data.write_end, bytes);
    }
    data.close_write();
    int status = -1;
    waitpid(reader, &status, 0);
    EXPECT_TRUE(ok) << std::strerror(errno);
    EXPECT_GE(alarms, 5);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the reader got other bytes";
}

}  // namespace
