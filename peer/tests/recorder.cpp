// A program that records how it was run, for the launcher's tests. Put on
// PATH under the name of a remote shell or of a host-based client, it keeps
// in $RECORD_DIR, under <name> = the last path component of argv[0]:
//   <name>.argv  its arguments, argv[0] included, each ended by a NUL;
//   <name>.env   its PATH, its DISPLAY, its process id, and how many ended
//                children it found waiting to be reaped, each ended by a NUL.
// The .env file appears first and .argv last, each whole at once. Then it
// copies <name>.say, if there is one, to standard output and exits with the
// status in <name>.status (0 when there is none).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_whole(const std::string& path, const std::string& bytes)
{
    const std::string partial = path + ".partial";
    std::ofstream(partial, std::ios::binary) << bytes;
    std::rename(partial.c_str(), path.c_str());
}

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return std::string(value != nullptr ? value : "(unset)") + '\0';
}

}  // namespace

int main(int argc, char* argv[])
{
    const char* dir = std::getenv("RECORD_DIR");
    if (dir == nullptr || argc < 1)
        return 125;
    const std::string word0 = argv[0];
    const std::string base = std::string(dir) + "/" + word0.substr(word0.rfind('/') + 1);

    int zombies = 0;
    while (waitpid(-1, nullptr, WNOHANG) > 0)
        ++zombies;
    write_whole(base + ".env", variable("PATH") + variable("DISPLAY") + std::to_string(getpid()) + '\0' +
                                   std::to_string(zombies) + '\0');
    std::string words;
    for (int i = 0; i < argc; ++i)
        words += std::string(argv[i]) + '\0';
    write_whole(base + ".argv", words);

    std::fputs(slurp(base + ".say").c_str(), stdout);
    const std::string status = slurp(base + ".status");
    return status.empty() ? 0 : std::atoi(status.c_str());
}
