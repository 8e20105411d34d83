// The verifier as the tests use it: every Tamarko a test starts runs with the
// recorder, each driver action marks a step in the recorders' logs, and at
// the end of a test (or a soak row) the logs are held to Windows' rules.
#pragma once

#include "tests/verifier/rules.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

class ProgramFolder;

// A new test's folder, where the recorders of its programs write their logs
// (recorder-<pid>.log, whatever folder a program runs from); the programs
// of the test before get no more steps.
void BeginRecordings(const std::string& folder);
const std::string& RecordingFolder();
// The variable that tells the recorder that folder.
inline const char kRecorderFolderVariable[] = "TAMARKO_RECORDER_FOLDER";

// Loads the recorder into a process created suspended, before it runs, and
// marks it as one that steps go to.
void StartRecording(const PROCESS_INFORMATION& started);
// Marks the start of a step of the test in the logs of the recorded programs.
void Step(const std::string& what);
// From now on each step names `phase` first ("[apply] click on ..."): the
// log then tells in which phase of a session a call came.
void BeginPhase(const std::string& phase);

// One recorder's log, read as it grows.
class RecorderLog {
public:
    explicit RecorderLog(std::string path);
    // Takes the lines written since the last call.
    void Update();
    const std::string& Path() const { return path_; }
    const verifier::CallLogChecker& Checker() const { return checker_; }

private:
    std::string path_;
    std::uint64_t read_ = 0;
    std::string partial_;
    verifier::CallLogChecker checker_;
};

// The logs of every recorded program that ran from the folder.
std::vector<std::string> RecorderLogs(const ProgramFolder& folder);
// Windows' rules over those logs: one text per broken rule, naming the log,
// the call and the step. What a program left behind counts only when it
// ended by itself; a program ended by force is held to the other rules.
std::vector<std::string> BrokenRules(const ProgramFolder& folder);

}  // namespace e2e
