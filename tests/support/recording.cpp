#include "tests/support/recording.h"

#include "tests/support/driver.h"
#include "tests/verifier/injector.h"
#include "tests/verifier/step_board.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace e2e {

namespace {

// The recorded programs of the test that runs.
std::vector<DWORD>& RecordedPrograms()
{
    static std::vector<DWORD> programs;
    return programs;
}

std::string& TestFolder()
{
    static std::string folder;
    return folder;
}

std::string& PhasePrefix()
{
    static std::string prefix;
    return prefix;
}

// Puts the step on the program's board; a program that has ended has none.
void TellStep(DWORD processId, const std::string& text)
{
    HANDLE board = OpenFileMappingA(FILE_MAP_WRITE, FALSE, verifier::StepBoardName(processId).c_str());
    if (!board)
        return;
    if (auto* steps = static_cast<verifier::StepBoard*>(MapViewOfFile(board, FILE_MAP_WRITE, 0, 0, 0))) {
        InterlockedIncrement(&steps->sequence);
        lstrcpynA(const_cast<char*>(steps->text), text.c_str(), sizeof steps->text);
        InterlockedIncrement(&steps->sequence);
        UnmapViewOfFile(steps);
    }
    CloseHandle(board);
}

}  // namespace

void BeginRecordings(const std::string& folder)
{
    TestFolder() = folder;
    RecordedPrograms().clear();
    PhasePrefix().clear();
}

const std::string& RecordingFolder()
{
    return TestFolder();
}

void StartRecording(const PROCESS_INFORMATION& started)
{
    std::string dll = TAMARKO_RECORDER_DLL;
    std::replace(dll.begin(), dll.end(), '/', '\\');
    verifier::LoadBeforeEntry(started, "Z:" + dll);
    RecordedPrograms().push_back(started.dwProcessId);
}

void BeginPhase(const std::string& phase)
{
    PhasePrefix() = "[" + phase + "] ";
    Step("begins");
}

void Step(const std::string& what)
{
    std::string text = PhasePrefix() + what;
    std::replace(text.begin(), text.end(), '\n', ' ');
    for (DWORD processId : RecordedPrograms())
        TellStep(processId, text);
}

RecorderLog::RecorderLog(std::string path)
    : path_(std::move(path))
{
}

void RecorderLog::Update()
{
    std::ifstream file(path_, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(read_));
    std::string chunk((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    read_ += chunk.size();
    partial_ += chunk;
    std::size_t start = 0;
    for (std::size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1)
        checker_.Feed(std::string_view(partial_).substr(start, end - start));
    partial_.erase(0, start);
}

std::vector<std::string> RecorderLogs(const ProgramFolder& folder)
{
    std::vector<std::string> logs;
    for (const std::string& name : FileNames(folder.File("recorder-*.log")))
        logs.push_back(folder.File(name));
    return logs;
}

std::vector<std::string> BrokenRules(const ProgramFolder& folder)
{
    std::vector<std::string> broken;
    for (const std::string& path : RecorderLogs(folder)) {
        RecorderLog log(path);
        log.Update();
        for (const verifier::Violation& violation : log.Checker().Violations())
            broken.push_back(path + ":\n  " + verifier::Describe(violation));
    }
    return broken;
}

}  // namespace e2e
