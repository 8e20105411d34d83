#include "core/command_messages.h"

std::string CommandProgram(const std::string& commandLine)
{
    const std::size_t start = commandLine.find_first_not_of(' ');
    if (start == std::string::npos)
        return std::string();
    if (commandLine[start] == '"') {
        const std::size_t end = commandLine.find('"', start + 1);
        return commandLine.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    }
    const std::size_t end = commandLine.find(' ', start);
    return commandLine.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

namespace {

// After a colon a Czech sentence goes on in lower case; the reason comes as
// a sentence of its own. Code page 1250's capitals: ASCII, Š Ś Ť Ž Ź at
// 0x8A-0x8F, and À to Þ but for ×.
std::string WithLowerFirstLetter(std::string text)
{
    if (text.empty())
        return text;
    const auto first = static_cast<unsigned char>(text[0]);
    if (first >= 'A' && first <= 'Z')
        text[0] = static_cast<char>(first + 0x20);
    else if (first == 0x8A || (first >= 0x8C && first <= 0x8F))
        text[0] = static_cast<char>(first + 0x10);
    else if (first >= 0xC0 && first <= 0xDE && first != 0xD7)
        text[0] = static_cast<char>(first + 0x20);
    return text;
}

}  // namespace

std::string CommandNotStartedMessage(const std::string& commandLine, const std::string& reason)
{
    return "Program " + CommandProgram(commandLine) + " nelze spustit (příkaz „" + commandLine
        + "“): " + WithLowerFirstLetter(reason);
}
