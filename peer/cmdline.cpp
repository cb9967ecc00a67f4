#include "cmdline.hpp"

#include "diagnostics.hpp"
#include "launchmessages.hpp"

#include <algorithm>
#include <climits>
#include <cstdlib>

int pdaemon = 0;
int timeout = 100;
int failsafe = 1;
std::optional<std::string> termCmd;
std::optional<std::string> terminalName;
std::vector<std::string> addToPath{""};
std::vector<std::string> remote_shell_commands{"", "rsh"};
std::string prog;

namespace {

// "-t" takes what a "%d" conversion reads: leading white space, a sign and
// at least one digit; anything after the number is ignored. A number beyond
// int is held at its limit. False when there is no number.
bool set_seconds(std::string_view text)
{
    const std::string copy(text);
    char* end = nullptr;
    const long value = std::strtol(copy.c_str(), &end, 10);
    if (end == copy.c_str())
        return false;
    timeout = static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
    return true;
}

struct OptionForm {
    std::string_view text;
    bool whole_word;  // else the word begins with text and the rest is the value
    // False when the word does not fit after all, so the next form is tried.
    bool (*apply)(std::string_view value);
};

// Tried in this order; the first form that fits applies.
// clang-format off
constexpr OptionForm kOptionForms[] = {
    {"-v",   true,  [](std::string_view) { verbose = 1; return true; }},
    {"-d",   true,  [](std::string_view) { pdaemon = 1; return true; }},
    {"-fs",  true,  [](std::string_view) { failsafe = 1; return true; }},
    {"-nfs", true,  [](std::string_view) { failsafe = 0; return true; }},
    {"-t",   false, set_seconds},
    {"-r",   false, [](std::string_view value) { remote_shell_commands[0] = value; return true; }},
    {"-p",   false, [](std::string_view value) { addToPath[0] = value; return true; }},
    {"-c",   false, [](std::string_view value) { termCmd = value; return true; }},
    {"-h",   false, [](std::string_view value) { terminalName = value; return true; }},
};
// clang-format on

bool apply_option(std::string_view word)
{
    for (const OptionForm& form : kOptionForms) {
        const bool fits = form.whole_word ? word == form.text : word.starts_with(form.text);
        if (fits && form.apply(word.substr(form.text.size())))
            return true;
    }
    return false;
}

constexpr std::string_view kMetaChars = " \t\n\v\f\r;|&\"'";

constexpr std::string_view kCommandPrefixes[] = {"qzxt.", "xt.", "vqm."};
constexpr std::string_view kCommandSuffixes[] = {"_peer", ".peer"};

}  // namespace

std::string_view LastPathComponent(std::string_view word)
{
    const std::size_t slash = word.rfind('/');
    return slash == std::string_view::npos ? word : word.substr(slash + 1);
}

std::string_view StripOnePrefix(std::string_view word, std::span<const std::string_view> prefixes)
{
    for (const std::string_view prefix : prefixes) {
        if (word.starts_with(prefix))
            return word.substr(prefix.size());
    }
    return word;
}

std::vector<std::string> SplitArgs(int argc, const char* const argv[], ClientArgs& client)
{
    client.words.clear();
    int last_separator = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--") {
            last_separator = i;
            client.words.resize(1);
            continue;
        }
        client.words.emplace_back(argv[i]);
    }
    std::vector<std::string> options;
    for (int i = 1; i < last_separator; ++i)
        options.emplace_back(argv[i]);
    return options;
}

void ProcessClientArgs(const ClientArgs& client)
{
    for (std::size_t i = 1; i + 1 < client.words.size(); ++i) {
        if (client.words[i] == "-display") {
            setenv("DISPLAY", client.words[i + 1].c_str(), 1);
            ++i;
        }
    }
}

bool ProcessArgs(const std::vector<std::string>& options)
{
    for (const std::string& word : options) {
        if (!apply_option(word))
            return false;
    }
    return true;
}

void Usage()
{
    Error(msg::usage, prog.c_str());
}

std::string EscapeMetaChars(std::string_view word)
{
    std::string escaped;
    escaped.reserve(word.size());
    for (const char c : word) {
        if (kMetaChars.find(c) != std::string_view::npos)
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

void EscapeMetaChars(ClientArgs& client)
{
    client.shell.clear();
    for (const std::string& word : client.words)
        client.shell.push_back(EscapeMetaChars(word));
}

std::optional<std::string> GetTerminal()
{
    if (terminalName)
        return terminalName;
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr)
        return std::nullopt;
    const std::string_view text(display);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    return std::string(text.substr(0, colon));
}

std::string mapCmd(std::string& word)
{
    if (termCmd)
        return *termCmd;
    std::string name(StripOnePrefix(LastPathComponent(word), kCommandPrefixes));
    for (const std::string_view suffix : kCommandSuffixes) {
        if (name.size() > suffix.size() && name.ends_with(suffix)) {
            name.resize(name.size() - suffix.size());
            word.resize(word.size() - suffix.size());
            break;
        }
    }
    return name;
}

void BuildCommandLine(ClientArgs& client, int port)
{
    // prog and an unescaped word 0 are one text to the messages that quote
    // prog: they show the invocation name without its suffix from here on.
    const bool word_is_prog = client.shell[0] == prog;
    const std::string shell_name = mapCmd(client.shell[0]);
    if (word_is_prog)
        prog = client.shell[0];
    const std::string host_name = mapCmd(client.words[0]);

    const std::string port_text = std::to_string(port);
    client.shell[0] = shell_name;
    client.shell.insert(client.shell.begin() + 1, {"-peer", port_text});
    client.words[0] = host_name;
    client.words.insert(client.words.begin() + 1, {"-peer", port_text});
}
