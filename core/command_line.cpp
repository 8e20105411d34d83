#include "core/command_line.h"

namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

}  // namespace

std::optional<std::wstring> FirstArgument(std::wstring_view line)
{
    // The program's name ends at the first blank outside quotes; its quotes
    // only group, nothing is escaped in it.
    std::size_t at = 0;
    for (bool quoted = false; at < line.size() && (quoted || !IsBlank(line[at])); ++at) {
        if (line[at] == L'"')
            quoted = !quoted;
    }
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    if (at == line.size())
        return std::nullopt;

    std::wstring argument;
    bool quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
        std::size_t backslashes = 0;
        while (at < line.size() && line[at] == L'\\') {
            ++backslashes;
            ++at;
        }
        if (at < line.size() && line[at] == L'"') {
            argument.append(backslashes / 2, L'\\');
            if (backslashes % 2 == 1) {
                argument += L'"';
            } else if (quoted && at + 1 < line.size() && line[at + 1] == L'"') {
                argument += L'"';
                ++at;
            } else {
                quoted = !quoted;
            }
            ++at;
        } else {
            argument.append(backslashes, L'\\');
            if (at < line.size() && (quoted || !IsBlank(line[at])))
                argument += line[at++];
        }
    }
    return argument;
}
