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

std::string CommandNotStartedMessage(const std::string& commandLine, const std::string& reason)
{
    return "Program " + CommandProgram(commandLine) + " nelze spustit (příkaz „" + commandLine + "“): " + reason;
}
