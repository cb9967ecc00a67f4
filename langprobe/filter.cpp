#include "filter.hpp"

#include "messages.hpp"
#include "rawio.hpp"
#include "states.hpp"

#include <array>
#include <cstdio>
#include <string_view>

namespace lng {
namespace {

// The pass-through block. Also keeps every write to a pipe atomic.
constexpr std::size_t kBlock = 1024;

constexpr std::string_view kPjlEnter = "-12345X@PJL";

int failure(const char* what)
{
    std::perror(what);
    return kIoFailure;
}

enum class Pjl { Found, Other, Short, Failed };

// Called after ESC '%' opened the job. The bytes read here are copied but
// neither counted against the scan length nor examined by the state table.
Pjl check_pjl(int in, int out)
{
    std::array<char, kPjlEnter.size()> got{};
    const ssize_t n = read_upto(in, got);
    if (n < 0) {
        failure(msg::read_error);
        return Pjl::Failed;
    }
    const std::string_view seen(got.data(), static_cast<std::size_t>(n));
    if (!write_all(out, seen)) {
        failure(msg::write_error);
        return Pjl::Failed;
    }
    if (seen.size() < kPjlEnter.size())
        return Pjl::Short;
    return seen == kPjlEnter ? Pjl::Found : Pjl::Other;
}

// Reads and copies one byte per call so that nothing past the deciding byte
// is consumed: with -q the rest of the job stays for the next reader.
int scan(long long scan_length, int in, int out)
{
    State state = State::Start;
    bool esc_seen = false;
    long long count = 0;
    for (;;) {
        char c = 0;
        const ssize_t got = read_some(in, {&c, 1});
        if (got < 0)
            return failure(msg::read_error);
        if (got == 0)
            break;
        ++count;
        if (!write_all(out, {&c, 1}))
            return failure(msg::write_error);
        if (count > scan_length)
            break;  // copied, but beyond the bytes we look at
        const auto byte = static_cast<unsigned char>(c);
        if (byte == kEsc)
            esc_seen = true;
        const Step move = step(state, byte, esc_seen);
        if (move.action == Action::PostScript)
            return kPostScript;
        if (move.action == Action::Stop)
            break;
        if (move.action == Action::PjlCheck) {
            const Pjl pjl = check_pjl(in, out);
            if (pjl == Pjl::Failed)
                return kIoFailure;
            if (pjl == Pjl::Found)
                return kPjl;
            if (pjl == Pjl::Short)
                break;
            state = State::Other;
            continue;
        }
        state = move.next;
    }
    return esc_seen ? kEscapes : kPlain;
}

int pass_through(int in, int out)
{
    std::array<char, kBlock> block{};
    for (;;) {
        const ssize_t got = read_some(in, block);
        if (got < 0)
            return failure(msg::read_error);
        if (got == 0)
            return 0;
        if (!write_all(out, std::span(block).first(static_cast<std::size_t>(got))))
            return failure(msg::write_error);
    }
}

}  // namespace

int filter(const Settings& settings, int in, int out)
{
    const int decision = scan(settings.scan_length, in, out);
    if (decision == kIoFailure || settings.quiet)
        return decision;
    return pass_through(in, out) == kIoFailure ? kIoFailure : decision;
}

}  // namespace lng
