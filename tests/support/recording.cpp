#include "tests/support/recording.h"

#include "tests/support/driver.h"
#include "tests/verifier/injector.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace e2e {

namespace {

std::vector<std::string>& StepLogs()
{
    static std::vector<std::string> logs;
    return logs;
}

std::string& LogFolder()
{
    static std::string folder;
    return folder;
}

void AppendLine(const std::string& path, const std::string& line)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

void BeginRecordings(const std::string& folder)
{
    LogFolder() = folder;
    StepLogs().clear();
}

const std::string& RecordingFolder()
{
    return LogFolder();
}

void StartRecording(const PROCESS_INFORMATION& started)
{
    std::string dll = TAMARKO_RECORDER_DLL;
    std::replace(dll.begin(), dll.end(), '/', '\\');
    verifier::LoadBeforeEntry(started, "Z:" + dll);
    StepLogs().push_back(LogFolder() + "\\recorder-" + std::to_string(started.dwProcessId) + ".log");
}

void Step(const std::string& what)
{
    std::string line = "# step " + what;
    std::replace(line.begin(), line.end(), '\n', ' ');
    line += '\n';
    for (const std::string& log : StepLogs())
        AppendLine(log, line);
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
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(folder.File("recorder-*.log").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return logs;
    do
        logs.push_back(folder.File(found.cFileName));
    while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(logs.begin(), logs.end());
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
