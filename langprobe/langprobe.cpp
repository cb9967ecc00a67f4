// langprobe: a print filter. Copies a job from standard input to standard
// output and tells by its exit status which printer language the job begins
// with.
#include "filter.hpp"
#include "messages.hpp"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

const char* prog_name(int argc, char** argv)
{
    if (argc < 1 || argv[0] == nullptr)
        return "langprobe";
    const char* slash = std::strrchr(argv[0], '/');
    return slash != nullptr ? slash + 1 : argv[0];
}

// A number the way atoi reads one (a non-number is 0), without atoi's
// undefined result when the value does not fit.
long long scan_length_arg(const char* text)
{
    return std::strtoll(text, nullptr, 10);
}

}  // namespace

int main(int argc, char** argv)
{
    lng::Settings settings;
    int opt = 0;
    while ((opt = getopt(argc, argv, "l:q")) != -1) {
        switch (opt) {
        case 'l':
            settings.scan_length = scan_length_arg(optarg);
            break;
        case 'q':
            settings.quiet = true;
            break;
        default:
            std::fprintf(stderr, msg::usage, prog_name(argc, argv));
            return 1;
        }
    }
    // A reader that goes away, or a file that reaches its size limit, must
    // show up as a failed write, not kill us before it can be reported.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    return lng::filter(settings, STDIN_FILENO, STDOUT_FILENO);
}
