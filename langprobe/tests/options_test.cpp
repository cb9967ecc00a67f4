#include "child.hpp"

#include "testkit/files.hpp"
#include "testkit/process.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using lptest::langprobe_argv;
using lptest::run_on_file;

TEST(Options, BadOptionGivesGetoptDiagnosticThenUsageAndStatus1)
{
    for (const auto& args : std::vector<std::vector<std::string>>{{"-x"}, {"-l"}, {"-q", "-z"}}) {
        SCOPED_TRACE(args.back());
        const auto r = testkit::run(langprobe_argv(args), lptest::feeding("%!PS-Adobe\n"));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        const std::string usage = "usage: langprobe [-l scanlength] [-q]\n";
        ASSERT_GT(r.err.size(), usage.size());
        EXPECT_EQ(r.err.substr(r.err.size() - usage.size()), usage);
        EXPECT_NE(r.err.find("option"), std::string::npos) << r.err;
    }
}

TEST(Options, UsageNamesTheProgramWithoutItsDirectory)
{
    testkit::TempDir dir;
    const std::string link = dir.file("lpfilter");
    ASSERT_EQ(symlink(LANGPROBE, link.c_str()), 0);
    const auto r = testkit::run({link, "-y"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("\nusage: lpfilter [-l scanlength] [-q]\n"), std::string::npos) << r.err;
}

// The scan length is read like atoi: leading digits count, a non-number is 0.
// "%!PS" is recognised with 4 examined bytes and not with fewer; with a scan
// length below 4, one byte past it is still copied and consumed.
TEST(Options, ScanLengthArgument)
{
    const std::string job = "%!PS-Adobe-3.0\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::size_t consumed;
    } cases[] = {
        {{"-l", "4"}, 1, 4},
        {{"-l4"}, 1, 4},
        {{"-l", "3"}, 0, 4},
        {{"-l", "0"}, 0, 1},
        {{"-l", "abc"}, 0, 1},
        {{"-l", "-7"}, 0, 1},
        {{"-l", "2x"}, 0, 3},
        {{"-l", " 12"}, 1, 4},
        {{"-l", "99999999999999999999999"}, 1, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        auto args = c.args;
        args.push_back("-q");
        const auto r = run_on_file(args, job);
        EXPECT_EQ(r.outcome.status, c.status);
        EXPECT_EQ(r.out, job.substr(0, c.consumed));
        EXPECT_EQ(r.rest, job.substr(c.consumed));
    }
}

TEST(Options, QuietTwiceIsQuietOnce)
{
    const std::string job = "%!PS-Adobe-3.0\nshowpage\n";
    for (const auto& args : std::vector<std::vector<std::string>>{{"-q", "-q"}, {"-qq"}}) {
        const auto r = run_on_file(args, job);
        EXPECT_EQ(r.outcome.status, 1);
        EXPECT_EQ(r.out, "%!PS");
        EXPECT_EQ(r.rest, "-Adobe-3.0\nshowpage\n");
    }
}

}  // namespace
