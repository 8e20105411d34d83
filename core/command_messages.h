// What the program says of the commands it runs: one that could not be
// started, and one that ran but ended with an error.
#pragma once

#include <string>

// The program a command line starts: its first word.
std::string CommandProgram(const std::string& commandLine);

// "Program <name> nelze spustit (příkaz „<line>“): <reason>"
std::string CommandNotStartedMessage(const std::string& commandLine, const std::string& reason);

// A command that ran and ended with a non-zero exit code.
struct CommandFailure {
    std::string commandLine;
    unsigned long exitCode;
};
