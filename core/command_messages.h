// What the program says of the commands it runs: one that could not be
// started, and the ones that ran but ended with an error.
#pragma once

#include <string>
#include <vector>

// The program a command line starts: its first word.
std::string CommandProgram(const std::string& commandLine);

// "Program <name> nelze spustit (příkaz „<line>“): <reason>"
std::string CommandNotStartedMessage(const std::string& commandLine, const std::string& reason);

// A command that ran and ended with a non-zero exit code.
struct CommandFailure {
    std::string setting;  // what it was to set, as the user knows it ("IP adresa")
    std::string commandLine;
    unsigned long exitCode;
};

// One box for all of them, one line each, and what the fields now show.
std::string CommandFailuresMessage(const std::vector<CommandFailure>& failures);
// The status bar's note once the fields show what the user asked for.
extern const char kCommandFailuresStatus[];
