// One user's whole session of Tamarko, as the fault sweep runs it: the start
// with two connections, an apply with manual addresses, DNS servers and a
// proxy, a settings file saved over an existing one and loaded back, the
// about box, the notification area, a quick button bound and its desktop
// shortcut made, and the close. Every box the program shows on the way is
// read and answered; a step that did not come off after a box is tried once
// more, as a user would; a program that ends, hangs or gets stuck ends the
// session. What it found is left for the judge.
#pragma once

#include "tests/faults/sweep_plan.h"
#include "tests/support/driver.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace faults {

// The state a session starts from and what it ends with in the reference run.
struct SessionFiles {
    std::string settingsFile;  // saved over, loaded, bound to the quick button
    std::string programIni;
    std::string shortcut;  // on the desktop
};

// What the user of one session met.
struct SessionRecord {
    std::vector<std::string> boxes;   // the texts of the program's message boxes
    std::vector<std::string> steps;   // the phases that did not come off, with why
    std::vector<std::string> files;   // files found damaged after a phase
    std::vector<std::string> fields;  // fields that lost what the user had
    std::string ending;               // how the program ended, when it did not go on
    bool ended = false;               // by itself, before the close
    bool hung = false;                // did not answer, or never came back to the user
    std::optional<DWORD> exitCode;
};

// Prepares the program's folder and the registry as every run finds them.
void PrepareSession(const e2e::ProgramFolder& folder, const SessionFiles& files);
// What is wrong with the files now, given the session so far; asked after
// every phase, so that a file left half-written by a phase is seen even when
// trying again mends it.
using FileCheck = std::function<std::vector<std::string>(const SessionRecord&)>;
// Runs the session with `fault` (none: the reference run) and returns what
// happened; the program has ended (or been ended) when it returns.
SessionRecord RunSession(const e2e::ProgramFolder& folder, const SessionFiles& files, const std::optional<Fault>& fault,
    const FileCheck& checkFiles = {});

// The proxy values of the current user: the switch and the server.
struct ProxyPair {
    long enable = -1;  // -1: missing
    std::string server;
    bool operator==(const ProxyPair&) const = default;
};
ProxyPair ReadProxy();
extern const ProxyPair kOldProxy;  // what every run starts with
extern const ProxyPair kNewProxy;  // what the session's apply writes

// The settings file and the program INI file as every run finds them.
extern const char kOldSettingsFile[];
extern const char kOldProgramIni[];

}  // namespace faults
