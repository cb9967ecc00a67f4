// read_a_line: the comment, blank-line and length rules of every source text.
#include "source.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> lines_of(const std::string& text)
{
    std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    EXPECT_NE(in, nullptr);
    std::vector<std::string> lines;
    LineBuffer buf;
    while (read_a_line(in, buf))
        lines.emplace_back(buf.data());
    std::fclose(in);
    return lines;
}

TEST(ReadALine, DeliversWhatTheRulesKeep)
{
    const std::string x149(149, 'x');
    const struct {
        std::string input;
        std::vector<std::string> lines;
    } cases[] = {
        {"a 1\nb 2", {"a 1\n", "b 2"}},
        {"\n \tindented\n; comment\nkept\n", {"kept\n"}},
        {"\tx\n", {"\tx\n"}},                     // a tab does not make a comment
        {"name 1 ; tail\n", {"name 1 "}},        // everything from ';' is cut, newline too
        {"a;b;c\n", {"a"}},
        {x149 + "\n", {x149}},                   // the newline alone is a blank line
        {x149 + "yz\n", {x149, "yz\n"}},         // a long line comes in pieces
        {x149 + " more\n", {x149}},              // a piece beginning with a blank is skipped
        {std::string("\0abc\nd\n", 7), {"", "d\n"}},  // a NUL first: delivered as it is
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lines_of(c.input), c.lines) << c.input;
}

}  // namespace
