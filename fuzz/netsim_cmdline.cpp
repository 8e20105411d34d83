// The stand-ins' command-line splitter. Any text splits without harm; and
// arguments quoted by the C runtime's rules, as a parent process quotes them,
// split back into exactly those arguments.
//
// Input: the raw command line; also, cut at LF, the arguments of a command
// line to build (the first is the program, whose double quotes are dropped:
// a program name cannot hold one).
#include "fuzz/fuzz_check.h"
#include "tools/netsim/cmdline.h"

#include <algorithm>

namespace {

// Quoting that the runtime's splitting undoes: backslashes count only before
// a double quote, where they are doubled, and the quote gets one more.
std::string QuoteArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto raw = netsim::SplitCommandLine(text);
    FUZZ_CHECK(!raw.empty());
    for (std::size_t i = 1; i < raw.size(); ++i)
        FUZZ_CHECK(raw[i].size() <= text.size());

    auto arguments = SplitAt(text, '\n');
    if (arguments.empty())
        arguments.emplace_back();
    std::string& program = arguments[0];
    program.erase(std::remove(program.begin(), program.end(), '"'), program.end());

    std::string commandLine = "\"" + program + "\"";
    for (std::size_t i = 1; i < arguments.size(); ++i)
        commandLine += ' ' + QuoteArgument(arguments[i]);
    FUZZ_CHECK(netsim::SplitCommandLine(commandLine) == arguments);
    return 0;
}
