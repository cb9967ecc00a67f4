// Diagnostics on standard error: Error always, Verbose only in verbose mode.
// Neither adds a prefix or a newline; each format carries its own.
#pragma once

extern int verbose;  // non-zero in verbose mode

[[gnu::format(printf, 1, 2)]] void Error(const char* format, ...);
[[gnu::format(printf, 1, 2)]] void Verbose(const char* format, ...);
