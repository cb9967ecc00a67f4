#include "listener.hpp"

int main(int argc, char* argv[])
{
    PeerMain(argc, argv);
}
