// The line reader every source text goes through: comments, blank lines
// and the 149-character line limit are handled here once.
#pragma once

#include <array>
#include <cstdio>

using LineBuffer = std::array<char, 150>;

// 1 when a line was delivered into buf, 0 at end of input. Lines starting
// with a newline, a space or ';' are skipped; anything from the first ';'
// on is cut off. A longer line arrives in pieces of at most 149 characters.
int read_a_line(std::FILE* stream, LineBuffer& buf);
