#include "diagnostics.hpp"

#include <cstdarg>
#include <cstdio>

int verbose = 0;

void Error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

void Verbose(const char* format, ...)
{
    if (!verbose)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}
