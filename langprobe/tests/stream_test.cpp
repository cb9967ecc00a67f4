// langprobe on pipes, devices and failing descriptors.
#include "child.hpp"

#include "testkit/files.hpp"

#include <cstdint>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace {

using lptest::Child;
using lptest::Fd;
using lptest::kClosed;
using lptest::langprobe_argv;
using lptest::open_or_throw;
using lptest::Pipe;
using lptest::read_rest;
using lptest::write_or_throw;
using namespace std::chrono_literals;

const std::string pjl_job = "\x1b%-12345X@PJL JOB NAME=\"x\"\n@PJL ENTER LANGUAGE=PCL\n\x1b" "E";
const std::string ps_job = "%!PS-Adobe-3.0\n%%Pages: 1\nshowpage\n";

// Waits until the file holds at least n bytes: the reader has come that far.
void await_size(const std::string& path, std::size_t n)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (testkit::read_file(path).size() < n && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(2ms);
}

// The UEL and PJL bytes arrive in two writes with a pause between; the
// check must wait for all of them. With -q the rest stays in the pipe.
TEST(Pipe, PjlSequenceSplitAcrossWrites)
{
    for (std::size_t split : {3u, 12u}) {
        SCOPED_TRACE(split);
        testkit::TempDir dir;
        const Fd out = open_or_throw(dir.file("out"), O_WRONLY | O_CREAT | O_TRUNC);
        Pipe in;
        Child child(langprobe_argv({"-q"}), in.read_end, out.get());
        write_or_throw(in.write_end, pjl_job.substr(0, split));
        await_size(dir.file("out"), 2);  // ESC '%' copied: the check has begun
        std::this_thread::sleep_for(100ms);
        write_or_throw(in.write_end, pjl_job.substr(split));
        in.close_write();
        const auto r = child.wait();
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(testkit::read_file(dir.file("out")), pjl_job.substr(0, 13));
        EXPECT_EQ(read_rest(in.read_end), pjl_job.substr(13));
    }
}

TEST(Pipe, QuietLeavesTheRestForTheNextReader)
{
    struct Case {
        std::string job;
        int status;
        std::size_t consumed;
    } cases[] = {{ps_job, 1, 4}, {pjl_job, 3, 13}, {"text\x1b(s1B bold", 2, 5}};
    for (const auto& c : cases) {
        testkit::TempDir dir;
        const Fd out = open_or_throw(dir.file("out"), O_WRONLY | O_CREAT | O_TRUNC);
        Pipe in;
        write_or_throw(in.write_end, c.job);
        in.close_write();
        const auto r = Child(langprobe_argv({"-q"}), in.read_end, out.get()).wait();
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(testkit::read_file(dir.file("out")), c.job.substr(0, c.consumed));
        EXPECT_EQ(read_rest(in.read_end), c.job.substr(c.consumed));
    }
}

// A job larger than any pipe buffer, on a file.
struct BigJob {
    testkit::TempDir dir;
    std::string path = dir.file("job");
    BigJob() { testkit::write_file(path, ps_job + std::string(1 << 20, 'x')); }
};

TEST(WriteError, UnwritableOutputGivesMessageAndStatus255)
{
    BigJob job;
    struct Case {
        const char* name;
        const char* device;  // nullptr: standard output closed
        const char* reason;
    } cases[] = {
        {"closed", nullptr, "Bad file descriptor"},
        {"device_full", "/dev/full", "No space left on device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Fd in = open_or_throw(job.path, O_RDONLY);
        const Fd out(c.device ? open_or_throw(c.device, O_WRONLY).release() : kClosed);
        const auto r = Child(langprobe_argv({}), in.get(), out.get()).wait();
        EXPECT_EQ(r.status, 255);
        EXPECT_EQ(r.err, std::string("lng: error on write: ") + c.reason + "\n");
    }
}

// Reader gone at once, or after taking part of the job: the
// write must fail with EPIPE and be reported, not kill langprobe by signal,
// and langprobe must not wait for a reader that will never come back.
TEST(WriteError, ReaderGoneIsReportedNotFatal)
{
    BigJob job;
    for (std::size_t taken : {0u, 5000u}) {
        SCOPED_TRACE(taken);
        const Fd in = open_or_throw(job.path, O_RDONLY);
        Pipe out;
        Child child(langprobe_argv({}), in.get(), out.write_end);
        out.close_write();
        std::string got(taken, '\0');
        std::size_t have = 0;
        while (have < taken) {
            const ssize_t n = read(out.read_end, got.data() + have, taken - have);
            ASSERT_GT(n, 0);
            have += static_cast<std::size_t>(n);
        }
        out.close_read();
        const auto r = child.wait(10s);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.status, 255);
        EXPECT_EQ(r.err, "lng: error on write: Broken pipe\n");
        EXPECT_EQ(got, testkit::read_file(job.path).substr(0, taken));
    }
}

// A file size limit makes the write fail at a chosen byte: in the scan, in
// the PJL check (also after part of its bytes went out), or in the
// pass-through. Nothing past the limit is written. -q shows that the scan's
// own failures are reported, not left for the pass-through to find.
TEST(WriteError, FailingWriteInEachPhase)
{
    struct Case {
        const char* phase;
        std::string job;
        rlim_t limit;
        std::vector<std::string> args;
    } cases[] = {
        {"scan", ps_job, 2, {"-q"}},
        {"pjl_check", pjl_job, 2, {"-q"}},
        {"pjl_check_part_written", pjl_job, 7, {"-q"}},
        {"pass_through", ps_job, 4, {}},
        {"pass_through_later_block", ps_job + std::string(5000, 'x'), 3000, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.phase);
        testkit::TempDir dir;
        testkit::write_file(dir.file("job"), c.job);
        const Fd in = open_or_throw(dir.file("job"), O_RDONLY);
        const Fd out = open_or_throw(dir.file("out"), O_WRONLY | O_CREAT | O_TRUNC);
        const auto r = Child(langprobe_argv(c.args), in.get(), out.get(), c.limit).wait();
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.status, 255);
        EXPECT_EQ(r.err, "lng: error on write: File too large\n");
        EXPECT_EQ(testkit::read_file(dir.file("out")), c.job.substr(0, c.limit));
    }
}

TEST(ReadError, UnreadableInputGivesMessageAndStatus255)
{
    testkit::TempDir dir;
    struct Case {
        const char* name;
        const char* path;  // nullptr: standard input closed
        const char* reason;
        std::vector<std::string> args;
    } cases[] = {
        {"directory", "/", "Is a directory", {}},
        {"directory_quiet", "/", "Is a directory", {"-q"}},
        {"closed", nullptr, "Bad file descriptor", {"-q"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Fd in(c.path ? open_or_throw(c.path, O_RDONLY).release() : kClosed);
        const Fd out = open_or_throw(dir.file("out"), O_WRONLY | O_CREAT | O_TRUNC);
        const auto r = Child(langprobe_argv(c.args), in.get(), out.get()).wait();
        EXPECT_EQ(r.status, 255);
        EXPECT_EQ(r.err, std::string("lng: error on read: ") + c.reason + "\n");
        EXPECT_EQ(testkit::read_file(dir.file("out")), "");
    }
}

// Input that reads well up to a point and then fails: our own memory, read
// through /proc/self/mem, where the job ends just before a page that lies
// beyond the end of its backing file.
class FailingInput {
public:
    explicit FailingInput(const std::string& job)
    {
        const long page = sysconf(_SC_PAGESIZE);
        size_ = 2 * static_cast<std::size_t>(page);
        backing_ = memfd_create("job", MFD_CLOEXEC);
        if (backing_ < 0 || ftruncate(backing_, page) != 0)
            throw std::runtime_error("memfd");
        void* m = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, backing_, 0);
        if (m == MAP_FAILED)
            throw std::runtime_error("mmap");
        map_ = static_cast<char*>(m);
        char* start = map_ + page - job.size();
        job.copy(start, job.size());
        fd_ = open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
        if (fd_ < 0 || lseek(fd_, static_cast<off_t>(reinterpret_cast<std::uintptr_t>(start)), SEEK_SET) < 0)
            throw std::runtime_error("/proc/self/mem");
    }
    ~FailingInput()
    {
        close(fd_);
        munmap(map_, size_);
        close(backing_);
    }
    int fd() const { return fd_; }

private:
    int backing_ = -1;
    int fd_ = -1;
    char* map_ = nullptr;
    std::size_t size_ = 0;
};

// The failure is reported instead of being taken for the end of the job, in
// whichever phase it comes; what was copied before it stays copied. -q
// shows that the scan reports its own failures.
TEST(ReadError, FailureAfterGoodBytesInEachPhase)
{
    struct Case {
        const char* phase;
        std::string job;  // the readable bytes before the failure
        std::string out;
        std::vector<std::string> args;
    } cases[] = {
        {"scan", "%%Title: x", "%%Title: x", {"-q"}},
        {"scan_no_input", "", "", {"-q"}},
        {"pjl_check", "\x1b%-1234", "\x1b%", {"-q"}},
        {"pass_through", ps_job + std::string(3000, 'x'), ps_job + std::string(3000, 'x'), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.phase);
        testkit::TempDir dir;
        FailingInput in(c.job);
        const Fd out = open_or_throw(dir.file("out"), O_WRONLY | O_CREAT | O_TRUNC);
        const auto r = Child(langprobe_argv(c.args), in.fd(), out.get()).wait();
        EXPECT_EQ(r.status, 255);
        EXPECT_EQ(r.err, "lng: error on read: Input/output error\n");
        EXPECT_EQ(testkit::read_file(dir.file("out")), c.out);
    }
}

}  // namespace
