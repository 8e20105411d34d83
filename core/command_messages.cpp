#include "core/command_messages.h"

#include <cstdio>

const char kCommandFailuresStatus[] = "Některá nastavení se nepodařilo provést; pole ukazují zadané hodnoty.";

namespace {

std::string ExitCodeText(unsigned long code)
{
    // Small codes are the command's own; large ones are Windows' status
    // codes (a crash), which are known by their hexadecimal form.
    char text[32];
    if (code < 0x10000)
        std::snprintf(text, sizeof text, "%lu", code);
    else
        std::snprintf(text, sizeof text, "0x%08lX", code);
    return text;
}

}  // namespace

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

std::string CommandFailuresMessage(const std::vector<CommandFailure>& failures)
{
    std::string message
        = failures.size() == 1 ? "Nastavení se nepodařilo provést:" : "Některá nastavení se nepodařilo provést:";
    for (const CommandFailure& failure : failures)
        message += "\r\n\r\n" + failure.setting + ": příkaz „" + failure.commandLine + "“ skončil s chybovým kódem "
            + ExitCodeText(failure.exitCode) + ".";
    message += "\r\n\r\nV polích zůstaly hodnoty, které jste zadali; ty, které se liší od aktuálního stavu, se "
               "nepodařilo nastavit.";
    return message;
}
