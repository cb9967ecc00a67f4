#include "source.hpp"

#include <cstring>

int read_a_line(std::FILE* stream, LineBuffer& buf)
{
    for (;;) {
        if (!std::fgets(buf.data(), static_cast<int>(buf.size()), stream))
            return 0;
        const char first = buf[0];
        if (first == '\n' || first == ' ' || first == ';')
            continue;
        if (first == '\0')
            return 1;
        if (char* semi = std::strchr(buf.data(), ';'))
            *semi = '\0';
        return 1;
    }
}
