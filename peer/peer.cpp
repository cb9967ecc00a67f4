#include <cstdio>

int main()
{
    std::fputs("usage: peer [options] client-arguments\n", stderr);
    return 1;
}
