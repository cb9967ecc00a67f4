// Jobs made by real document and printer-driver tools, generated on the spot
// from a small troff document. scripts/setup installs the tools; a missing
// tool fails the test rather than skipping it.
#include "child.hpp"

#include "testkit/files.hpp"
#include "testkit/process.hpp"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t kAll = std::string::npos;

const char document[] =
    ".ft B\n"
    "Quarterly print report\n"
    ".ft R\n"
    ".sp\n"
    "This page was set with groff and sent through the print filter.\n"
    ".sp\n"
    "\\fBBold\\fP and \\fIitalic\\fP words make the text driver emit attributes.\n";

// gs reads the groff PostScript and writes the job with one of its drivers.
#define GS "groff -Tps doc.tr > doc.ps && gs -q -dSAFER -dBATCH -dNOPAUSE "

struct Tool {
    const char* name;
    const char* command;  // run in a scratch directory holding doc.tr; writes job
    int status;
    std::size_t consumed;  // bytes the scan reads; kAll: the whole job
};

void PrintTo(const Tool& tool, std::ostream* os)
{
    *os << tool.name;
}

const Tool tools[] = {
    {"groff_postscript", "groff -Tps doc.tr > job", 1, 4},
    {"groff_text_with_attributes", "groff -Tascii doc.tr > job", 2, 3},
    {"groff_plain_text", "groff -Tascii -P-c -P-b -P-u doc.tr > job", 0, kAll},
    {"ghostscript_pcl", GS "-sDEVICE=ljet4 -sOutputFile=job doc.ps", 2, 3},
    {"ghostscript_pjl_pcl", GS "-sDEVICE=ljet4pjl -sOutputFile=job doc.ps", 3, 13},
    {"ghostscript_pjl_pclxl", GS "-sDEVICE=pxlmono -sOutputFile=job doc.ps", 3, 13},
    {"ghostscript_pdf", GS "-dCompressPages=false -sDEVICE=pdfwrite -sOutputFile=job doc.ps", 0,
     1025},
};

class Corpus : public testing::TestWithParam<Tool> {};

TEST_P(Corpus, DecidesAndCopiesARealJob)
{
    const Tool& tool = GetParam();
    testkit::TempDir dir;
    testkit::write_file(dir.file("doc.tr"), document);
    testkit::RunOptions in_dir;
    in_dir.cwd = dir.path();
    const auto made = testkit::run({"/bin/sh", "-c", tool.command}, in_dir);
    ASSERT_EQ(made.status, 0) << tool.command << "\n"
                              << made.err << "(scripts/setup installs groff and ghostscript)";
    const std::string job = testkit::read_file(dir.file("job"));
    ASSERT_GT(job.size(), 100u);

    const auto full = testkit::run(lptest::langprobe_argv({}), lptest::feeding(job));
    EXPECT_EQ(full.status, tool.status);
    EXPECT_TRUE(full.out == job) << "the job did not come through unchanged";

    const auto quiet = lptest::run_on_file({"-q"}, job);
    const std::size_t consumed = std::min(tool.consumed, job.size());
    EXPECT_EQ(quiet.outcome.status, tool.status);
    EXPECT_TRUE(quiet.out == job.substr(0, consumed));
    EXPECT_TRUE(quiet.rest == job.substr(consumed));
}

INSTANTIATE_TEST_SUITE_P(Tools, Corpus, testing::ValuesIn(tools),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
