// Hand-built jobs through the whole program. Each case gives the decision
// and how many bytes the scan consumes: without -q the whole job must come
// out unchanged; with -q exactly those bytes come out and a second reader of
// the same input gets the rest.
#include "child.hpp"

#include "testkit/process.hpp"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

constexpr std::size_t kAll = std::string::npos;

struct Case {
    const char* name;
    std::string job;
    int status;
    std::size_t consumed;  // kAll: the scan reads to the end of the job
    std::vector<std::string> args = {};
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

const std::string esc = "\x1b";

const Case cases[] = {
    // PostScript at the very start
    {"percent_bang_lf", "%!\nshowpage\n", 1, 3},
    {"adobe_header", "%!PS-Adobe-3.0\n%%Pages: 1\n", 1, 4},
    {"percent_bang_then_eof", "%!", 0, kAll},
    {"percent_bang_p_other_then_line", "%!PX\n%!PS\n", 1, 9},
    {"percent_lf_then_header", "%\n%!PS\n", 1, 6},
    {"comment_line_then_header", "%%Title: x\n%!PS-Adobe\n", 1, 15},
    {"header_mid_line_not_seen", "%%Title: %!PS\nplain\n", 0, kAll},
    {"escape_in_comment_lines_only_noted", "%%Title: " + esc + "x\n%!PS\n", 1, 16},
    {"escape_in_comment_lines_at_end", "%%Title: " + esc + "x\nplain\n", 2, kAll},
    // Leading white space and control bytes
    {"blank_lines_then_header", "\n\n%!PS-Adobe-3.0\n", 1, 6},
    {"blank_then_percent_bang_lf_not_seen", "\n%!\nplain text\n", 0, kAll},
    {"space_then_header", " %!PS", 1, 5},
    {"every_leading_byte_then_pjl",
     "\x00\x03\x04\t\n\x0c\r\x14 "s + esc + "%-12345X@PJL JOB\n", 3, 22},
    {"other_control_byte_is_content", "\x01" + esc + "%-12345X@PJL JOB\n", 2, 2},
    {"byte_order_mark_is_content", "\xef\xbb\xbf%!PS-Adobe\n", 0, kAll},
    // Other content
    {"text_never_postscript", "Hello\n%!PS-Adobe\n", 0, kAll},
    {"text_with_escape_stops_at_it", "Hello " + esc + "[1mbold\n", 2, 7},
    {"empty_job", "", 0, 0},
    // Escapes at the start
    {"pjl", esc + "%-12345X@PJL ENTER LANGUAGE=PCL\n", 3, 13},
    {"pjl_and_nothing_more", esc + "%-12345X@PJL", 3, 13},
    {"pcl_reset_stops_after_next_byte", esc + "E" + esc + "&l0O text", 2, 3},
    {"uel_without_pjl", esc + "%-12345X@PCL\nmore", 2, 14},
    {"uel_cut_short", esc + "%-1234", 2, kAll},
    // The scan length bounds the examined bytes, not the PJL check
    {"escape_last_examined", std::string(1023, 'a') + esc + "tail", 2, 1024},
    {"escape_beyond_scan", std::string(1024, 'a') + esc + "tail", 0, 1025},
    {"pjl_check_not_counted", esc + "%-12345X@PJL\n", 3, 13, {"-l", "2"}},
    {"percent_beyond_scan", esc + "%-12345X@PJL\n", 2, 2, {"-l", "1"}},
};

class Scan : public testing::TestWithParam<Case> {};

TEST_P(Scan, CopiesTheJobAndDecides)
{
    const Case& c = GetParam();
    const auto r = testkit::run(lptest::langprobe_argv(c.args), lptest::feeding(c.job));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.job);
    EXPECT_EQ(r.err, "");
}

TEST_P(Scan, QuietConsumesOnlyTheScannedBytes)
{
    const Case& c = GetParam();
    auto args = c.args;
    args.push_back("-q");
    const auto r = lptest::run_on_file(args, c.job);
    const std::size_t consumed = std::min(c.consumed, c.job.size());
    EXPECT_EQ(r.outcome.status, c.status);
    EXPECT_EQ(r.out, c.job.substr(0, consumed));
    EXPECT_EQ(r.rest, c.job.substr(consumed));
}

INSTANTIATE_TEST_SUITE_P(Jobs, Scan, testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
