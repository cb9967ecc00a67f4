#include <cstdio>

int main()
{
    std::fputs("usage: langprobe [-l scanlength] [-q]\n", stderr);
    return 1;
}
