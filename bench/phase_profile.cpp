// The profile build's listener to the program's phases (core/phase_hook.h),
// linked into tamarko.exe and the report window only by the CMake option
// TAMARKO_PROFILE. At each mark it notes the time on the one time line that
// every Wine process shares (QueryPerformanceCounter). The CPU time is the scheduler's own count for
// the user-interface thread (/proc/<pid>/task/<pid>/schedstat, in ns), read
// through Wine's Z: drive: Wine's GetThreadTimes only knows whole clock ticks
// (10 ms). The peak memory is the process's VmHWM (/proc/<pid>/status). The
// Linux process is found once, at the first mark; what finding it costs is
// measured by doing it twice and is kept out of every phase.
#include "core/phase_hook.h"
#include "win32/program_path.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Mark {
    const char* name;
    LONGLONG entry, exit;  // QueryPerformanceCounter when the mark began and ended
    long long cpuEntryNs, cpuExitNs;
    long peakKb;  // the process's peak resident memory so far
};

struct Profile {
    std::vector<Mark> marks;
    std::vector<Mark> closeMarks;
    int linuxPid = 0;
    HANDLE schedstat = INVALID_HANDLE_VALUE;
    HANDLE status = INVALID_HANDLE_VALUE;
    const char* finishName = nullptr;
    bool written = false;
};

Profile& State()
{
    static Profile profile;
    return profile;
}

LONGLONG Now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

std::string ReadSmallFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.find_last_of("\\/");
    return Lower(slash == std::string::npos ? path : path.substr(slash + 1));
}

// The Linux process that runs this program: the newest processes first, by
// the program file in their command line, confirmed by its mapping.
int FindLinuxPid()
{
    const std::string exe = ProgramPath();
    if (exe.size() < 3 || (exe[0] != 'Z' && exe[0] != 'z') || exe[1] != ':')
        return 0;  // only the Z: drive maps straight to a Linux path
    std::string unixPath = exe.substr(2);
    std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
    const std::string name = BaseName(exe);

    std::vector<int> pids;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const std::string pid = entry.cFileName;
        if (!pid.empty() && pid.find_first_not_of("0123456789") == std::string::npos)
            pids.push_back(std::atoi(pid.c_str()));
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(pids.rbegin(), pids.rend());
    for (int pid : pids) {
        const std::string proc = "Z:\\proc\\" + std::to_string(pid) + "\\";
        const std::string commandLine = ReadSmallFile(proc + "cmdline");
        if (BaseName(commandLine.substr(0, commandLine.find('\0'))) != name)
            continue;
        if (ReadSmallFile(proc + "maps").find(unixPath) != std::string::npos)
            return pid;
    }
    return 0;
}

// The whole of a small /proc file kept open, read again from its start.
template <std::size_t Size> bool ReadFromStart(HANDLE file, char (&text)[Size])
{
    DWORD read = 0;
    if (file == INVALID_HANDLE_VALUE || SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER
        || !ReadFile(file, text, Size - 1, &read, nullptr))
        return false;
    text[read] = '\0';
    return true;
}

long long ReadCpuNs(HANDLE schedstat)
{
    char text[128];
    return ReadFromStart(schedstat, text) ? std::atoll(text) : 0;
}

long ReadPeakKb(HANDLE status)
{
    char text[4096];
    if (!ReadFromStart(status, text))
        return 0;
    const char* peak = std::strstr(text, "VmHWM:");
    return peak ? std::atol(peak + 6) : 0;
}

HANDLE OpenProcFile(int pid, const std::string& name)
{
    const std::string path = "Z:\\proc\\" + std::to_string(pid) + "\\" + name;
    return CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

void Start(Profile& profile, const char* name)
{
    Mark mark{name, Now(), 0, 0, 0, 0};
    profile.linuxPid = FindLinuxPid();
    if (profile.linuxPid != 0) {
        profile.schedstat = OpenProcFile(profile.linuxPid, "task\\" + std::to_string(profile.linuxPid) + "\\schedstat");
        profile.status = OpenProcFile(profile.linuxPid, "status");
    }
    const long long afterFirst = ReadCpuNs(profile.schedstat);
    FindLinuxPid();  // the same work again: what it costs
    const long long afterSecond = ReadCpuNs(profile.schedstat);
    mark.cpuEntryNs = afterFirst - (afterSecond - afterFirst);
    mark.peakKb = ReadPeakKb(profile.status);
    mark.cpuExitNs = ReadCpuNs(profile.schedstat);
    mark.exit = Now();
    profile.marks.push_back(mark);
}

long long AllThreadsCpuNs(int pid)
{
    const std::string tasks = "Z:\\proc\\" + std::to_string(pid) + "\\task\\";
    long long total = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((tasks + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (entry.cFileName[0] != '.')
            total += std::atoll(ReadSmallFile(tasks + entry.cFileName + "\\schedstat").c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return total;
}

void Write(Profile& profile, const std::vector<Mark>& marks, const char* fileName)
{
    std::string path;
    try {
        path = ProgramPath();
    } catch (const std::exception&) {
        return;  // a folder no ANSI call can name: no profile
    }
    path = path.substr(0, path.find_last_of('\\') + 1) + fileName;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::string text = "frequency " + std::to_string(frequency.QuadPart) + "\r\nlinux_pid "
        + std::to_string(profile.linuxPid) + "\r\n";
    for (const Mark& mark : marks) {
        char line[512];
        std::snprintf(line, sizeof line, "mark %lld %lld %lld %lld %ld %s\r\n", mark.entry, mark.exit, mark.cpuEntryNs,
            mark.cpuExitNs, mark.peakKb, mark.name);
        text += line;
    }
    text += "all_threads_cpu_ns " + std::to_string(profile.linuxPid ? AllThreadsCpuNs(profile.linuxPid) : 0) + "\r\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// A mark after the first: the time, the CPU and the peak memory now.
Mark Taken(const Profile& profile, const char* name)
{
    Mark mark{name, Now(), 0, 0, 0, 0};
    mark.cpuEntryNs = ReadCpuNs(profile.schedstat);
    mark.peakKb = ReadPeakKb(profile.status);
    mark.cpuExitNs = ReadCpuNs(profile.schedstat);
    mark.exit = Now();
    return mark;
}

void StartMark(const char* name)
{
    Profile& profile = State();
    if (profile.written)
        return;
    if (profile.marks.empty()) {
        Start(profile, name);
        return;
    }
    profile.marks.push_back(Taken(profile, name));
}

class Listener final : public PhaseListener {
public:
    void Passed(Phase phase, const char* name) override
    {
        Profile& profile = State();
        switch (phase) {
        case Phase::Start:
            StartMark(name);
            break;
        case Phase::StartLast:
            profile.finishName = name;
            break;
        case Phase::Close:
            // Only a close after a profiled start: the marks need its Linux
            // process.
            if (profile.written)
                profile.closeMarks.push_back(Taken(profile, name));
            break;
        case Phase::End:
            if (!profile.closeMarks.empty())
                Write(profile, profile.closeMarks, "close-profile.txt");
            break;
        }
    }

    bool WaitsForIdle() const override
    {
        const Profile& profile = State();
        return profile.finishName && !profile.written;
    }

    void Idle() override
    {
        Profile& profile = State();
        if (!WaitsForIdle())
            return;
        StartMark(profile.finishName);
        profile.written = true;
        Write(profile, profile.marks, "startup-profile.txt");
    }
};

// The earliest moment the program's own code runs: before every other
// static initialiser of the program.
struct EarliestMark {
    EarliestMark()
    {
        static Listener listener;
        ListenToPhases(&listener);
        StartMark("process start and DLL loading");
    }
} earliestMark __attribute__((init_priority(101)));

}  // namespace
