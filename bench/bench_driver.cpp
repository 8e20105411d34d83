// Runs tamarko.exe and the yardstick programs under Wine and measures what a
// user would feel: how long the start takes until the window shows the state,
// how much CPU the program burns while it waits for netsh and ipconfig, how
// quickly it answers while it waits, how fast it swallows a big report, and
// how much memory that costs. It writes the figures as markdown table rows.
//
//   bench_driver.exe <ship-dir> <bench-dir> <work-dir> <rows-file> <clk-tck> <runs>
//       [start|cpu|capture|profile|close ...]
// Directories are Unix paths (reached through Wine's Z: drive). Exit code 0
// when every measurement could be taken, 1 with a message otherwise.
//
// It finds and reads the program's windows with the end-to-end tests' driver
// (tests/support), so that both look where the program's design puts its
// controls. Its own literals are UTF-8 (its table is), the model's texts
// with them: each is converted to the program's code page before it meets
// the program.
//
// CPU time and memory come from Linux's /proc of the Wine process that runs
// tamarko.exe: Wine's GetProcessTimes reports nothing for other processes.
// Wine opens files through wineserver, so the driver's reads of /proc cost
// tamarko.exe nothing.
#include <windows.h>

#include "tests/support/driver.h"
#include "tests/support/program_model.h"
#include "ui/commands.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using e2e::FindControl;
using e2e::FindTopWindow;
using e2e::RemoveTree;

// ---- Texts the program shows (UTF-8 here, code page 1250 on the wire)

const char kConnectionName[] = "Připojení k místní síti";
const char kMainCaption[] = "Tamarko";
const char kMinimalClass[] = "BenchMinimalWindow";
const char kReportWindowClass[] = "BenchReportWindow";
const int kPollMs = 5;            // start measurements: observation granularity
const int kQuietPollMs = 20;      // CPU windows: light look at files and window state only
const int kProbeIntervalMs = 50;  // responsiveness probes
const std::size_t kBigReportBytes = 5 * 1024 * 1024;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Ansi(const std::string& utf8)
{
    return e2e::Utf8ToAnsi(utf8);
}
std::string Utf8(const std::string& ansi)
{
    return e2e::AnsiToUtf8(ansi);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

double NowMs()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / frequency;
}

void Progress(const std::string& text)
{
    std::fprintf(stderr, "bench: %s\n", text.c_str());
    std::fflush(stderr);
}

// Polls until `condition` holds; throws with `what` when the time is up.
void WaitFor(const std::function<bool()>& condition, int timeoutMs, const std::string& what, int pollMs = kPollMs)
{
    const double end = NowMs() + timeoutMs;
    while (!condition()) {
        if (NowMs() > end)
            throw Failure(what + " did not happen within " + std::to_string(timeoutMs / 1000) + " s");
        Sleep(static_cast<DWORD>(pollMs));
    }
}

// ---- Files

std::string WindowsPath(std::string unixPath)
{
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    while (unixPath.size() > 1 && unixPath.back() == '\\')
        unixPath.pop_back();
    return "Z:" + unixPath;
}

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(
        path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw Failure("cannot write " + path);
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size())
        throw Failure("cannot write " + path);
}

// ---- Linux's view of a Wine process

struct ProcStat {
    char state = '?';
    long long cpuTicks = 0;  // utime + stime of all threads, in clock ticks
    long long runNs = 0;     // time on a CPU of the live threads (schedstat), in ns
};

// The scheduler's finer count: each live thread's time on a CPU.
long long ThreadsRunNs(int pid)
{
    const std::string tasks = "Z:\\proc\\" + std::to_string(pid) + "\\task";
    long long total = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((tasks + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (entry.cFileName[0] == '.')
            continue;
        if (const auto text = ReadWholeFile(tasks + "\\" + entry.cFileName + "\\schedstat"))
            total += std::atoll(text->c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return total;
}

// The Unix path of a path on Wine's Z: drive.
std::string UnixPath(const std::string& windowsPath)
{
    std::string path = windowsPath.substr(2);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string BaseNameWithoutExe(std::string path)
{
    const auto slash = path.find_last_of("\\/");
    if (slash != std::string::npos)
        path.erase(0, slash + 1);
    path = Lower(path);
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".exe") == 0)
        path.resize(path.size() - 4);
    return path;
}

// The live Linux process that runs this program file. Wine puts the Windows
// command line into the Linux one ("netsh interface ..." for a program
// started without a path), so a candidate is chosen by its program name and
// confirmed by the program file it has mapped.
std::optional<int> LinuxPid(const std::string& windowsExePath)
{
    const std::string name = BaseNameWithoutExe(windowsExePath);
    const std::string mapped = UnixPath(windowsExePath);
    std::optional<int> found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    do {
        const std::string pid = entry.cFileName;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string proc = "Z:\\proc\\" + pid + "\\";
        const auto commandLine = ReadWholeFile(proc + "cmdline");
        if (!commandLine || BaseNameWithoutExe(commandLine->substr(0, commandLine->find('\0'))) != name)
            continue;
        const auto maps = ReadWholeFile(proc + "maps");
        const auto stat = ReadWholeFile(proc + "stat");
        if (maps && maps->find(mapped) != std::string::npos && stat && stat->find(") Z") == std::string::npos) {
            found = std::atoi(pid.c_str());
            break;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

int WaitForLinuxPid(const std::string& windowsExePath)
{
    std::optional<int> pid;
    WaitFor([&] { return (pid = LinuxPid(windowsExePath)).has_value(); }, 5000,
        "finding the Linux process of " + windowsExePath);
    return *pid;
}

std::optional<ProcStat> ReadProcStat(int pid)
{
    const auto text = ReadWholeFile("Z:\\proc\\" + std::to_string(pid) + "\\stat");
    if (!text)
        return std::nullopt;
    const auto close = text->rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    // After the name: state (field 3) ... utime (14), stime (15).
    std::vector<std::string> fields;
    std::size_t at = close + 2;
    while (at < text->size()) {
        const auto blank = text->find(' ', at);
        fields.push_back(text->substr(at, blank == std::string::npos ? std::string::npos : blank - at));
        if (blank == std::string::npos)
            break;
        at = blank + 1;
    }
    if (fields.size() < 13)
        return std::nullopt;
    ProcStat stat;
    stat.state = fields[0].empty() ? '?' : fields[0][0];
    stat.cpuTicks = std::atoll(fields[11].c_str()) + std::atoll(fields[12].c_str());
    return stat;
}

ProcStat MustReadProcStat(int pid, const char* whose)
{
    auto stat = ReadProcStat(pid);
    if (!stat)
        throw Failure(std::string("cannot read /proc/") + std::to_string(pid) + "/stat of " + whose);
    stat->runNs = ThreadsRunNs(pid);
    return *stat;
}

bool LinuxProcessAlive(int pid)
{
    const auto stat = ReadProcStat(pid);
    return stat && stat->state != 'Z' && stat->state != 'X';
}

long VmHwmKb(int pid)
{
    const auto text = ReadWholeFile("Z:\\proc\\" + std::to_string(pid) + "\\status");
    if (!text)
        throw Failure("cannot read /proc/" + std::to_string(pid) + "/status");
    const auto at = text->find("VmHWM:");
    if (at == std::string::npos)
        throw Failure("no VmHWM in /proc/" + std::to_string(pid) + "/status");
    return std::atol(text->c_str() + at + 6);
}

// ---- Windows processes and windows

class Process {
public:
    Process(const std::string& exe, const std::string& arguments, const std::string& folder)
        : exe_(exe)
    {
        std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        startedAt_ = NowMs();
        if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                &startup, &process))
            throw Failure("cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
        CloseHandle(process.hThread);
        handle_ = process.hProcess;
        id_ = process.dwProcessId;
    }
    ~Process()
    {
        if (Running()) {
            TerminateProcess(handle_, 99);
            WaitForSingleObject(handle_, 5000);
        }
        CloseHandle(handle_);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return id_; }
    double StartedAt() const { return startedAt_; }
    const std::string& Exe() const { return exe_; }
    bool Running() const { return WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }
    // Waits until the program waits for input with nothing left to do: every
    // paint done. The peak memory is read then, the same moment for every
    // program, not somewhere in its first paint.
    void WaitUntilIdle(const std::string& what) const
    {
        if (WaitForInputIdle(handle_, 10000) != 0)
            throw Failure(exe_ + " did not become idle " + what);
    }
    // The exit code, or nothing when it did not end in time.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const
    {
        if (WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(handle_, &code);
        return code;
    }
    void EnsureRunning(const std::string& what) const
    {
        if (!Running())
            throw Failure(exe_ + " ended while " + what);
    }

private:
    std::string exe_;
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
    double startedAt_ = 0;
};

// One message to another process's window; the answer time in *elapsedMs.
std::optional<std::string> WindowText(HWND window, double* elapsedMs = nullptr, UINT timeoutMs = 5000)
{
    char text[1024] = {};
    DWORD_PTR copied = 0;
    const double before = NowMs();
    const LRESULT ok = SendMessageTimeoutA(
        window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, timeoutMs, &copied);
    if (elapsedMs)
        *elapsedMs = NowMs() - before;
    if (!ok)
        return std::nullopt;
    return std::string(text, std::min<std::size_t>(copied, sizeof text - 1));
}

std::string Text(HWND window)
{
    return WindowText(window).value_or(std::string());
}

// ---- Program folders

struct Bench {
    std::string shipDir, benchDir, workDir;
    long clockTicks = 100;
    int runs = 5;

    // A fresh folder with the given programs and the stand-ins' state.
    // `profiled`: the programs of the profile build (build/bench/profile).
    std::string Folder(const std::string& name, const std::vector<std::string>& programs,
        const std::string& netsimState, bool profiled = false) const
    {
        // A new name each time: Wine may still hold the last run's files for
        // a moment after its process has ended. The last one is removed
        // when it can be.
        static std::map<std::string, std::string> previous;
        static int made = 0;
        if (!previous[name].empty())
            RemoveTree(previous[name]);
        const std::string folder = workDir + "\\" + name + "-" + std::to_string(++made);
        previous[name] = folder;
        if (!CreateDirectoryA(folder.c_str(), nullptr))
            throw Failure("cannot create " + folder);
        for (const std::string& program : programs) {
            if (profiled && program != "tamarko.exe" && program != "report_window.exe") {
                const std::string from = shipDir + "\\" + program;
                if (!CopyFileA(from.c_str(), (folder + "\\" + program).c_str(), FALSE))
                    throw Failure("cannot copy " + from + " (was it built?)");
                continue;
            }
            const bool ours = program == "minimal_window.exe" || program == "start_dlls_window.exe"
                || program == "plain_read.exe" || program == "capture_only.exe" || program == "report_window.exe";
            const std::string from = (profiled ? ProfileDir() : ours ? benchDir : shipDir) + "\\" + program;
            if (!CopyFileA(from.c_str(), (folder + "\\" + program).c_str(), FALSE))
                throw Failure("cannot copy " + from + " (was it built?)");
        }
        if (!netsimState.empty())
            WriteWholeFile(folder + "\\netsim-state.txt", netsimState);
        return folder;
    }
    std::string TamarkoFolder(const std::string& name, const std::string& netsimState, bool profiled = false) const
    {
        return Folder(name, {"tamarko.exe", "netsh.exe", "ipconfig.exe"}, netsimState, profiled);
    }
    std::string ProfileDir() const { return benchDir + "\\profile"; }
};

// One static connection, as the stand-ins keep it.
std::string LanState(const std::string& simulator = "")
{
    return std::string("[netsim]\r\n") + simulator + "[connection]\r\nname = " + kConnectionName
        + "\r\ndhcp = no\r\nip = 192.168.1.10\r\nmask = 255.255.255.0\r\ngateway = 192.168.1.1\r\n"
          "dns = 192.168.1.1, 8.8.8.8\r\n";
}

// One connection that takes its address from the simulated DHCP server.
std::string DhcpState(const std::string& simulator = "")
{
    return std::string("[netsim]\r\n") + simulator
        + "dhcp_pool = 10.0.0.100\r\ndhcp_mask = 255.255.255.0\r\ndhcp_gateway = 10.0.0.1\r\ndhcp_dns = 10.0.0.1\r\n"
          "[connection]\r\nname = "
        + kConnectionName + "\r\ndhcp = yes\r\ndns = dhcp\r\n";
}

int JournalLines(const std::string& folder)
{
    const auto journal = ReadWholeFile(folder + "\\netsim-journal.txt");
    return journal ? static_cast<int>(std::count(journal->begin(), journal->end(), '\n')) : 0;
}

// Tamarko's main window, once it is shown with its status bar: its controls
// where the tests find them.
MainWindow FindMainWindow(const Process& program, int timeoutMs)
{
    HWND form = nullptr;
    const std::string caption = Ansi(kMainCaption);
    WaitFor(
        [&] {
            program.EnsureRunning("waiting for its main window");
            if (!form)
                form = FindTopWindow(program.Id(), "TForm1", caption);
            return form && FindControl(form, 0, 376);
        },
        timeoutMs, "the main window of tamarko.exe (class TForm1 with its status bar)");
    return MainWindow(form);
}

// Starts at the process start, ends when the status bar shows the legend.
MainWindow WaitUntilFilled(const Process& program, int timeoutMs, double* elapsedMs = nullptr)
{
    const double deadline = program.StartedAt() + timeoutMs;
    MainWindow window = FindMainWindow(program, timeoutMs);
    const std::string legend = Ansi(kStateLegend);
    WaitFor(
        [&] {
            program.EnsureRunning("waiting for the filled window");
            return Text(window.statusBar) == legend;
        },
        static_cast<int>(std::max(1.0, deadline - NowMs())),
        "the status bar reading \"" + std::string(kStateLegend) + "\"");
    if (elapsedMs)
        *elapsedMs = NowMs() - program.StartedAt();
    return window;
}

void CloseTamarko(const Process& program, const MainWindow& window)
{
    PostMessageA(window.form, WM_COMMAND, cmClose, 0);
    if (!program.WaitForExit(10000))
        throw Failure("tamarko.exe did not end within 10 s after its close command");
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename Run, typename Field> std::vector<double> Column(const std::vector<Run>& runs, Field field)
{
    std::vector<double> values;
    for (const Run& run : runs)
        values.push_back(static_cast<double>(run.*field));
    return values;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char text[2048];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::string RunList(const std::vector<double>& values)
{
    std::string list;
    for (double v : values)
        list += (list.empty() ? "" : ", ") + Format("%.0f", v);
    return list;
}

std::string Verdict(bool met)
{
    return met ? "met" : "**not met**";
}

// ---- The measurements

struct Results {
    std::string rows;       // markdown table rows
    std::string notes;      // markdown lines under the table
    std::string breakdown;  // the profile's tables, after the main table
    double tamarkoSmallHwmKb = 0;
    double minimalHwmKb = 0;
    double startDllsHwmKb = 0;  // the minimal window with the DLLs Tamarko's start needs
};

// What one start cost, read when the program showed what it had to.
struct StartRun {
    double wallMs = 0;
    double cpuMs = 0;  // schedstat of the live threads
    long long ticks = 0;
    long hwmKb = 0;
};

StartRun ReadStartCost(const Process& program, double elapsedMs)
{
    const int pid = WaitForLinuxPid(program.Exe());
    const ProcStat used = MustReadProcStat(pid, program.Exe().c_str());
    StartRun run;
    run.wallMs = elapsedMs;
    run.cpuMs = static_cast<double>(used.runNs) / 1e6;
    run.ticks = used.cpuTicks;
    program.WaitUntilIdle("after its start");
    run.hwmKb = VmHwmKb(pid);
    return run;
}

StartRun StartTamarko(const Bench& bench)
{
    const std::string folder = bench.TamarkoFolder("start-tamarko", LanState());
    Process program(folder + "\\tamarko.exe", "", folder);
    double elapsed = 0;
    const MainWindow window = WaitUntilFilled(program, 30000, &elapsed);
    const StartRun run = ReadStartCost(program, elapsed);
    CloseTamarko(program, window);
    return run;
}

// minimal_window.exe, or start_dlls_window.exe: the same with the DLLs that
// Tamarko's start needs.
// The minimal window's window, once it is visible.
HWND WaitForMinimalWindow(const Process& program, const std::string& exe)
{
    HWND window = nullptr;
    WaitFor(
        [&] {
            program.EnsureRunning("waiting for its window");
            return (window = FindTopWindow(program.Id(), kMinimalClass)) != nullptr;
        },
        30000, "the visible window of " + exe);
    return window;
}

StartRun StartMinimal(const Bench& bench, const std::string& exe = "minimal_window.exe")
{
    const std::string folder = bench.Folder("start-minimal", {exe}, "");
    Process program(folder + "\\" + exe, "", folder);
    const HWND window = WaitForMinimalWindow(program, exe);
    const StartRun run = ReadStartCost(program, NowMs() - program.StartedAt());
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!program.WaitForExit(10000))
        throw Failure(exe + " did not end after WM_CLOSE");
    return run;
}

// The report window's one text, once it can be read: the connection's name.
HWND WaitForReportWindow(const Process& program, int timeoutMs)
{
    const std::string name = Ansi(kConnectionName);
    HWND window = nullptr;
    WaitFor(
        [&] {
            program.EnsureRunning("waiting for its window");
            if (!window)
                window = FindTopWindow(program.Id(), kReportWindowClass);
            HWND text = window ? GetWindow(window, GW_CHILD) : nullptr;
            return text && Text(text) == name;
        },
        timeoutMs, "the connection's name in the window of report_window.exe");
    return window;
}

StartRun StartReportWindow(const Bench& bench)
{
    const std::string folder = bench.Folder("start-report", {"report_window.exe", "netsh.exe"}, LanState());
    Process program(folder + "\\report_window.exe", "", folder);
    const HWND window = WaitForReportWindow(program, 30000);
    const StartRun run = ReadStartCost(program, NowMs() - program.StartedAt());
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!program.WaitForExit(10000))
        throw Failure("report_window.exe did not end after WM_CLOSE");
    return run;
}

void MeasureStart(const Bench& bench, Results& results)
{
    Progress("1. start to filled window, " + std::to_string(bench.runs) + " runs each after one warm-up");
    // Interleaved, so that a slow spell of the machine hits every kind alike.
    std::vector<StartRun> tamarko, minimal, report, startDlls;
    for (int run = 0; run <= bench.runs; ++run) {
        const StartRun t = StartTamarko(bench);
        const StartRun m = StartMinimal(bench);
        const StartRun r = StartReportWindow(bench);
        const StartRun d = StartMinimal(bench, "start_dlls_window.exe");
        if (run == 0)
            continue;  // warm-up
        tamarko.push_back(t);
        minimal.push_back(m);
        report.push_back(r);
        startDlls.push_back(d);
    }
    const auto tWall = Column(tamarko, &StartRun::wallMs), mWall = Column(minimal, &StartRun::wallMs),
               rWall = Column(report, &StartRun::wallMs);
    const double t = Median(tWall), m = Median(mWall), r = Median(rWall);
    results.rows += Format("| 1 | Start to filled window (median of %d; runs: %s / %s ms) | %.0f ms | %.0f ms "
                           "(minimal window visible) | %.2f× | – | – |\n",
        bench.runs, RunList(tWall).c_str(), RunList(mWall).c_str(), t, m, t / m);
    results.rows += Format("| 1′ | Start to filled window against the report window: netsh run and read by the "
                           "program's own capture code, then a window with the connection's name (same runs, "
                           "interleaved; report window: %s ms) | %.0f ms | %.0f ms (report window's text readable) "
                           "| %.2f× | ≤ 1.3× | %s |\n",
        RunList(rWall).c_str(), t, r, t / r, Verdict(t / r <= 1.3).c_str());
    const auto tCpu = Column(tamarko, &StartRun::cpuMs), rCpu = Column(report, &StartRun::cpuMs),
               mCpu = Column(minimal, &StartRun::cpuMs);
    const double tc = Median(tCpu), rc = Median(rCpu), mc = Median(mCpu);
    const double tTicks = Median(Column(tamarko, &StartRun::ticks)), rTicks = Median(Column(report, &StartRun::ticks));
    results.rows += Format("| 1″ | Own CPU from start to filled window, by schedstat (runs: %s / %s ms; clock ticks "
                           "%.0f / %.0f; minimal window %.0f ms) | %.0f ms | %.0f ms (report window) | %.2f× "
                           "| ≤ 1.5× | %s |\n",
        RunList(tCpu).c_str(), RunList(rCpu).c_str(), tTicks, rTicks, mc, tc, rc, tc / rc,
        Verdict(tc / rc <= 1.5).c_str());
    const auto dWall = Column(startDlls, &StartRun::wallMs), dCpu = Column(startDlls, &StartRun::cpuMs);
    const double dw = Median(dWall), dc = Median(dCpu);
    results.rows
        += Format("| 1‴ | The floor the design's DLLs set: the minimal window that first loads comctl32 (status "
                  "bar, tooltips), ole32 (COM) and shell32 (tray), nothing run, nothing read (runs: %s ms; "
                  "CPU %s ms) | %.0f ms, %.0f ms CPU | %.0f ms, %.0f ms CPU (report window) | %.2f× the "
                  "time, %.2f× the CPU | – | – |\n",
            RunList(dWall).c_str(), RunList(dCpu).c_str(), dw, dc, r, rc, dw / r, dc / rc);
    results.tamarkoSmallHwmKb = Median(Column(tamarko, &StartRun::hwmKb));
    results.minimalHwmKb = Median(Column(minimal, &StartRun::hwmKb));
    results.startDllsHwmKb = Median(Column(startDlls, &StartRun::hwmKb));
    results.notes += Format("- 1, 5 peak memory (VmHWM, read once each program is idle after its start; KiB): Tamarko "
                            "%s; minimal window %s; report window %s; minimal window with the start's DLLs %s\n",
        RunList(Column(tamarko, &StartRun::hwmKb)).c_str(), RunList(Column(minimal, &StartRun::hwmKb)).c_str(),
        RunList(Column(report, &StartRun::hwmKb)).c_str(), RunList(Column(startDlls, &StartRun::hwmKb)).c_str());
}

void MeasureReportWait(const Bench& bench, Results& results)
{
    Progress("2a. CPU while the chooser waits for a 3 s netsh");
    const std::string folder = bench.TamarkoFolder("cpu-report", LanState("delay_ms = 3000\r\n"));
    Process program(folder + "\\tamarko.exe", "", folder);
    WaitFor(
        [&] {
            program.EnsureRunning("waiting for the chooser");
            return FindTopWindow(program.Id(), "TForm2") != nullptr;
        },
        15000, "the connection chooser (class TForm2)");
    const int tamarko = WaitForLinuxPid(program.Exe());
    const int netsh = WaitForLinuxPid(folder + "\\netsh.exe");
    Sleep(100);  // past the chooser's own start-up work
    const ProcStat first = MustReadProcStat(tamarko, "tamarko.exe");
    const double from = NowMs();
    ProcStat last = first;
    double to = from;
    // Each sample counts only when netsh was still running after it was taken.
    for (;;) {
        Sleep(kQuietPollMs);
        const ProcStat sample = MustReadProcStat(tamarko, "tamarko.exe");
        const double at = NowMs();
        if (!LinuxProcessAlive(netsh))
            break;
        last = sample;
        to = at;
        if (at - from > 15000)
            throw Failure("netsh.exe did not end within 15 s");
    }
    const double wallMs = to - from;
    if (wallMs < 1500)
        throw Failure(Format("the report wait was only %.0f ms long; too short to measure", wallMs));
    const long long ticks = last.cpuTicks - first.cpuTicks;
    const double share = 100.0 * ticks * 1000.0 / bench.clockTicks / wallMs;
    const double runMs = static_cast<double>(last.runNs - first.runNs) / 1e6;
    const MainWindow window = WaitUntilFilled(program, 30000);
    CloseTamarko(program, window);
    results.rows += Format("| 2a | CPU while the chooser waits for `netsh … show config` (delay 3 s) | %lld ticks "
                           "(%.1f ms by schedstat) in %.0f ms | one core | %.1f %% of a core (%.2f %% by schedstat) "
                           "| ≤ 5 %% | %s |\n",
        ticks, runMs, wallMs, share, 100.0 * runMs / wallMs, Verdict(share <= 5.0).c_str());
}

struct ApplyRun {
    double wallMs = 0;
    long long ticks = 0;
    double share = 0;
    double runMs = 0;  // by schedstat
    int probes = 0;
    double worstMs = 0, medianMs = 0;
    std::vector<std::string> texts;  // the status texts in the order seen, UTF-8
};

// Clicks the apply button and waits until the read-back has filled the window
// again; with `probe`, asks for the status text every 50 ms meanwhile.
ApplyRun RunApply(const Bench& bench, const Process& program, const MainWindow& window, const std::string& folder,
    int tamarko, bool probe)
{
    DeleteFileA((folder + "\\netsim-journal.txt").c_str());
    const std::string legend = Ansi(kStateLegend);
    ApplyRun run;
    std::vector<double> answers;
    const ProcStat first = MustReadProcStat(tamarko, "tamarko.exe");
    const double from = NowMs();
    PostMessageA(window.form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window.apply), BN_CLICKED),
        reinterpret_cast<LPARAM>(window.apply));
    double next = from;
    for (;;) {
        program.EnsureRunning("the apply ran");
        if (probe) {
            next += kProbeIntervalMs;
            const double wait = next - NowMs();
            if (wait > 0)
                Sleep(static_cast<DWORD>(wait));
            double elapsed = 0;
            const auto text = WindowText(window.statusBar, &elapsed, 10000);
            answers.push_back(elapsed);
            if (!text)
                throw Failure("the status bar did not answer WM_GETTEXT within 10 s");
            const std::string utf8 = Utf8(*text);
            if (run.texts.empty() || run.texts.back() != utf8)
                run.texts.push_back(utf8);
        } else {
            Sleep(kQuietPollMs);
        }
        // Five command lines: two netsh settings, two ipconfig, the read-back.
        if (JournalLines(folder) >= 5 && IsWindowEnabled(window.form) && Text(window.statusBar) == legend)
            break;
        if (NowMs() - from > 60000)
            throw Failure("the apply did not end within 60 s");
    }
    const ProcStat last = MustReadProcStat(tamarko, "tamarko.exe");
    run.wallMs = NowMs() - from;
    run.ticks = last.cpuTicks - first.cpuTicks;
    run.share = 100.0 * run.ticks * 1000.0 / bench.clockTicks / run.wallMs;
    run.runMs = static_cast<double>(last.runNs - first.runNs) / 1e6;
    if (!answers.empty()) {
        run.probes = static_cast<int>(answers.size());
        run.worstMs = *std::max_element(answers.begin(), answers.end());
        run.medianMs = Median(answers);
    }
    return run;
}

void MeasureApply(const Bench& bench, Results& results)
{
    Progress("2b. CPU and answers while the apply runs its commands (2 s each)");
    const std::string folder = bench.TamarkoFolder("cpu-apply", DhcpState());
    Process program(folder + "\\tamarko.exe", "", folder);
    const MainWindow window = WaitUntilFilled(program, 30000);
    if (!window.apply || !window.automatic)
        throw Failure("the apply button (8,344) or the automatic radio button (208,91) was not found");
    DWORD_PTR checked = 0;
    SendMessageTimeoutA(window.automatic, BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &checked);
    if (checked != BST_CHECKED)
        throw Failure("a DHCP connection did not show automatic addressing");
    const int tamarko = WaitForLinuxPid(program.Exe());
    // From now on every command takes 2 s.
    WriteWholeFile(folder + "\\netsim-state.txt", DhcpState("delay_ms = 2000\r\n"));
    Sleep(300);
    const ApplyRun quiet = RunApply(bench, program, window, folder, tamarko, false);
    const auto journal = ReadWholeFile(folder + "\\netsim-journal.txt").value_or("");
    Sleep(300);
    const ApplyRun probed = RunApply(bench, program, window, folder, tamarko, true);
    CloseTamarko(program, window);

    results.rows += Format(
        "| 2b | CPU during the apply (automatic: netsh ×2, ipconfig ×2, read-back netsh; 2 s each; "
        "no probing) | %lld ticks (%.1f ms by schedstat) in %.0f ms | one core | %.1f %% of a core (%.2f %% by "
        "schedstat) | ≤ 2 %% | %s |\n",
        quiet.ticks, quiet.runMs, quiet.wallMs, quiet.share, 100.0 * quiet.runMs / quiet.wallMs,
        Verdict(quiet.share <= 2.0).c_str());
    results.rows
        += Format("| 2b′ | Same apply, status bar probed with WM_GETTEXT every 50 ms: CPU | %lld ticks (%.1f ms by "
                  "schedstat) in %.0f ms | one core | %.1f %% of a core (%.2f %% by schedstat) | (≤ 2 %%) "
                  "| %s |\n",
            probed.ticks, probed.runMs, probed.wallMs, probed.share, 100.0 * probed.runMs / probed.wallMs,
            Verdict(probed.share <= 2.0).c_str());
    const int changes = static_cast<int>(probed.texts.size()) - 1;
    results.rows += Format("| 2c | Responsiveness during that apply: worst WM_GETTEXT answer (%d probes, median "
                           "%.1f ms) | %.1f ms | – | – | ≤ 100 ms | %s |\n",
        probed.probes, probed.medianMs, probed.worstMs, Verdict(probed.worstMs <= 100.0).c_str());
    std::string sequence;
    for (const std::string& text : probed.texts)
        sequence += (sequence.empty() ? "" : " → ") + ("\"" + text + "\"");
    results.rows += Format("| 2d | Status text changes between the steps | %d changes | – | – | changes | %s |\n",
        changes, Verdict(changes >= 4).c_str());
    std::string commands;
    for (std::size_t at = 0; at < journal.size();) {
        const auto end = journal.find('\n', at);
        std::string line = journal.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            commands += (commands.empty() ? "" : "; ") + ("`" + line + "`");
        at = end == std::string::npos ? journal.size() : end + 1;
    }
    results.notes += "- 2b commands run (journal of the stand-ins): " + commands + "\n";
    results.notes += "- 2d status texts seen, in order: " + sequence + "\n";
}

// ---- The profile build: where the start's time and CPU go

struct Phase {
    std::string name;
    double wallMs = 0, cpuMs = 0;
    double peakGrowthKb = 0;  // how much the process's peak memory grew
};

struct ProfileRun {
    std::vector<Phase> phases;
    double overheadWallMs = 0, overheadCpuMs = 0;  // the marks' own cost
    double otherThreadsCpuMs = 0;
};

// Reads the marks of startup-profile.txt (or of the close's file); nothing
// while it is not complete. The first phase runs from `startedAtMs`: the
// process's start, whose CPU the first mark holds, or the close's request,
// whose CPU no mark knows.
std::optional<ProfileRun> ReadProfile(
    const std::string& folder, double startedAtMs, const char* fileName = "startup-profile.txt")
{
    const bool fromStart = std::strcmp(fileName, "startup-profile.txt") == 0;
    const auto text = ReadWholeFile(folder + "\\" + fileName);
    if (!text || text->find("all_threads_cpu_ns ") == std::string::npos)
        return std::nullopt;
    double frequency = 0;
    long long allThreadsNs = 0;
    struct Mark {
        long long entry, exit, cpuEntry, cpuExit;
        long peakKb;
        std::string name;
    };
    std::vector<Mark> marks;
    for (std::size_t at = 0; at < text->size();) {
        auto end = text->find('\n', at);
        if (end == std::string::npos)
            end = text->size();
        std::string line = text->substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("frequency ", 0) == 0)
            frequency = std::atof(line.c_str() + 10);
        else if (line.rfind("all_threads_cpu_ns ", 0) == 0)
            allThreadsNs = std::atoll(line.c_str() + 19);
        else if (line.rfind("mark ", 0) == 0) {
            Mark mark{};
            int nameAt = 0;
            if (std::sscanf(line.c_str(), "mark %lld %lld %lld %lld %ld %n", &mark.entry, &mark.exit, &mark.cpuEntry,
                    &mark.cpuExit, &mark.peakKb, &nameAt)
                    < 5
                || nameAt == 0)
                throw Failure(std::string("a mark of ") + fileName + " cannot be read: " + line);
            mark.name = line.substr(static_cast<std::size_t>(nameAt));
            marks.push_back(mark);
        }
    }
    if (frequency <= 0 || marks.empty())
        throw Failure(std::string(fileName) + " holds no marks");
    if (marks.front().cpuExit == 0)
        throw Failure("the profile build found no Linux process of its own: no CPU times");
    const auto ms = [&](long long counter) { return 1000.0 * static_cast<double>(counter) / frequency; };
    ProfileRun run;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        Phase phase;
        phase.name = marks[i].name;
        if (i == 0) {
            phase.wallMs = ms(marks[0].entry) - startedAtMs;
            phase.cpuMs = fromStart ? static_cast<double>(marks[0].cpuEntry) / 1e6 : 0;
            phase.peakGrowthKb = fromStart ? static_cast<double>(marks[0].peakKb) : 0;
        } else {
            phase.wallMs = ms(marks[i].entry - marks[i - 1].exit);
            phase.cpuMs = static_cast<double>(marks[i].cpuEntry - marks[i - 1].cpuExit) / 1e6;
            phase.peakGrowthKb = static_cast<double>(marks[i].peakKb - marks[i - 1].peakKb);
        }
        run.phases.push_back(phase);
        run.overheadWallMs += ms(marks[i].exit - marks[i].entry);
        run.overheadCpuMs += static_cast<double>(marks[i].cpuExit - marks[i].cpuEntry) / 1e6;
    }
    run.otherThreadsCpuMs = static_cast<double>(allThreadsNs - marks.back().cpuExit) / 1e6;
    return run;
}

ProfileRun WaitForProfile(const Process& program, const std::string& folder)
{
    std::optional<ProfileRun> run;
    WaitFor(
        [&] {
            program.EnsureRunning("waiting for its profile");
            return (run = ReadProfile(folder, program.StartedAt())).has_value();
        },
        30000, "startup-profile.txt of " + program.Exe());
    return *run;
}

ProfileRun ProfileTamarko(const Bench& bench)
{
    const std::string folder = bench.TamarkoFolder("profile-tamarko", LanState(), true);
    Process program(folder + "\\tamarko.exe", "", folder);
    const ProfileRun run = WaitForProfile(program, folder);
    CloseTamarko(program, WaitUntilFilled(program, 30000));
    return run;
}

ProfileRun ProfileReportWindow(const Bench& bench)
{
    const std::string folder = bench.Folder("profile-report", {"report_window.exe", "netsh.exe"}, LanState(), true);
    Process program(folder + "\\report_window.exe", "", folder);
    const ProfileRun run = WaitForProfile(program, folder);
    PostMessageA(WaitForReportWindow(program, 30000), WM_CLOSE, 0, 0);
    if (!program.WaitForExit(10000))
        throw Failure("report_window.exe did not end after WM_CLOSE");
    return run;
}

// One table: each phase's median wall and CPU time over the runs.
std::string BreakdownTable(const std::string& title, const std::vector<ProfileRun>& runs, const char* whole = "start")
{
    const std::vector<Phase>& first = runs.front().phases;
    for (const ProfileRun& run : runs) {
        if (run.phases.size() != first.size())
            throw Failure(title + ": the runs passed different marks");
        for (std::size_t i = 0; i < first.size(); ++i) {
            if (run.phases[i].name != first[i].name)
                throw Failure(title + ": the runs passed different marks");
        }
    }
    std::vector<double> totalWall, totalCpu;
    for (const ProfileRun& run : runs) {
        double wall = 0, cpu = 0;
        for (const Phase& phase : run.phases) {
            wall += phase.wallMs;
            cpu += phase.cpuMs;
        }
        totalWall.push_back(wall);
        totalCpu.push_back(cpu);
    }
    const double cpuTotal = Median(totalCpu);
    std::string table = title
        + "\n\n| # | Phase, up to the mark | Wall ms | CPU ms | Share of the CPU | Peak memory grew by KiB |\n"
          "|---|---|---|---|---|---|\n";
    std::vector<double> peaks;
    for (const ProfileRun& run : runs) {
        double peak = 0;
        for (const Phase& phase : run.phases)
            peak += phase.peakGrowthKb;
        peaks.push_back(peak);
    }
    for (std::size_t i = 0; i < first.size(); ++i) {
        std::vector<double> wall, cpu, growth;
        for (const ProfileRun& run : runs) {
            wall.push_back(run.phases[i].wallMs);
            cpu.push_back(run.phases[i].cpuMs);
            growth.push_back(run.phases[i].peakGrowthKb);
        }
        table += Format("| %lu | %s | %.1f | %.1f | %.0f %% | %.0f |\n", static_cast<unsigned long>(i + 1),
            first[i].name.c_str(), Median(wall), Median(cpu), 100.0 * Median(cpu) / cpuTotal, Median(growth));
    }
    table += Format("| | Whole %s (median of the runs' sums; runs: %s ms wall, %s ms CPU) | %.1f | %.1f | "
                    "100 %% | %.0f (the peak at the end) |\n",
        whole, RunList(totalWall).c_str(), RunList(totalCpu).c_str(), Median(totalWall), cpuTotal, Median(peaks));
    table += Format("\nThe marks' own cost, left out above: %.2f ms wall, %.2f ms CPU a run (median). Other threads "
                    "of the process: %.1f ms CPU.\n",
        Median(Column(runs, &ProfileRun::overheadWallMs)), Median(Column(runs, &ProfileRun::overheadCpuMs)),
        Median(Column(runs, &ProfileRun::otherThreadsCpuMs)));
    return table;
}

void MeasureProfile(const Bench& bench, Results& results)
{
    Progress("profile: the start's phases, " + std::to_string(bench.runs) + " runs each after one warm-up");
    std::vector<ProfileRun> tamarko, report;
    for (int run = 0; run <= bench.runs; ++run) {
        const ProfileRun t = ProfileTamarko(bench);
        const ProfileRun r = ProfileReportWindow(bench);
        if (run == 0)
            continue;
        tamarko.push_back(t);
        report.push_back(r);
    }
    results.breakdown += BreakdownTable(Format("### Tamarko's start, phase by phase (profile build, median of %d "
                                               "runs)",
                                            bench.runs),
        tamarko);
    results.breakdown += "\n";
    results.breakdown += BreakdownTable(
        Format("### The report window's start, phase by phase (median of %d runs)", bench.runs), report);
}

// ---- The close: from the request to the process's end

struct CloseRun {
    double windowGoneMs = 0;  // the request until the main window was gone
    double endedMs = 0;       // the request until the process had ended
};

// Closes a program that waits for input, as a user does, and times it.
CloseRun TimeClose(const Process& program, HWND window, UINT message, WPARAM wParam)
{
    program.WaitUntilIdle("before its close");
    CloseRun run;
    const double requested = NowMs();
    PostMessageA(window, message, wParam, 0);
    WaitFor([&] { return !IsWindow(window); }, 10000, program.Exe() + "'s window gone after the close", 1);
    run.windowGoneMs = NowMs() - requested;
    if (!program.WaitForExit(10000))
        throw Failure(program.Exe() + " did not end within 10 s after its close");
    run.endedMs = NowMs() - requested;
    return run;
}

CloseRun CloseTamarkoTimed(const Bench& bench)
{
    const std::string folder = bench.TamarkoFolder("close-tamarko", LanState());
    Process program(folder + "\\tamarko.exe", "", folder);
    return TimeClose(program, WaitUntilFilled(program, 30000).form, WM_COMMAND, cmClose);
}

CloseRun CloseMinimalTimed(const Bench& bench)
{
    const std::string folder = bench.Folder("close-minimal", {"minimal_window.exe"}, "");
    Process program(folder + "\\minimal_window.exe", "", folder);
    return TimeClose(program, WaitForMinimalWindow(program, "minimal_window.exe"), WM_CLOSE, 0);
}

// The profile build's close, phase by phase, up to the process's end.
ProfileRun ProfileClose(const Bench& bench)
{
    const std::string folder = bench.TamarkoFolder("profile-close", LanState(), true);
    Process program(folder + "\\tamarko.exe", "", folder);
    WaitForProfile(program, folder);
    const MainWindow window = WaitUntilFilled(program, 30000);
    program.WaitUntilIdle("before its close");
    const double requested = NowMs();
    PostMessageA(window.form, WM_COMMAND, cmClose, 0);
    if (!program.WaitForExit(10000))
        throw Failure("the profile build did not end within 10 s after its close command");
    const double ended = NowMs();
    const std::optional<ProfileRun> marks = ReadProfile(folder, requested, "close-profile.txt");
    if (!marks)
        throw Failure("close-profile.txt of the profile build is missing");
    ProfileRun run = *marks;
    double marked = requested;
    for (const Phase& phase : run.phases)
        marked += phase.wallMs;
    run.phases.push_back(
        {"the process's end (the runtime, Wine's teardown)", ended - marked - run.overheadWallMs, 0, 0});
    return run;
}

void MeasureClose(const Bench& bench, Results& results)
{
    Progress("7. the close, from the request to the process's end, " + std::to_string(bench.runs)
        + " runs each after one warm-up");
    std::vector<CloseRun> tamarko, minimal;
    std::vector<ProfileRun> phases;
    for (int run = 0; run <= bench.runs; ++run) {
        const CloseRun t = CloseTamarkoTimed(bench);
        const CloseRun m = CloseMinimalTimed(bench);
        const ProfileRun p = ProfileClose(bench);
        if (run == 0)
            continue;  // warm-up
        tamarko.push_back(t);
        minimal.push_back(m);
        phases.push_back(p);
    }
    const auto tEnded = Column(tamarko, &CloseRun::endedMs);
    const auto mEnded = Column(minimal, &CloseRun::endedMs);
    const auto tGone = Column(tamarko, &CloseRun::windowGoneMs);
    const double t = Median(tEnded), m = Median(mEnded);
    results.rows += Format("| 7 | Close: from \"Zavřít\" (WM_CLOSE for the minimal window) to the process's end "
                           "(median of %d; runs: %s / %s ms; the main window gone after %s ms) | %.0f ms | %.0f ms "
                           "(minimal window) | %.2f× | – | – |\n",
        bench.runs, RunList(tEnded).c_str(), RunList(mEnded).c_str(), RunList(tGone).c_str(), t, m, t / m);
    results.breakdown += "\n";
    results.breakdown += BreakdownTable(
        Format("### Tamarko's close, phase by phase (profile build, median of %d runs; the first phase's CPU is not "
               "known)",
            bench.runs),
        phases, "close");
}

// When netsh.exe wrote its journal line: its first act, before the report.
bool JournalExists(const std::string& folder)
{
    return GetFileAttributesA((folder + "\\netsim-journal.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct PlainRead {
    double wallMs = 0;       // start of plain_read.exe until it ended
    double fromNetshMs = 0;  // netsh's journal line until the pipe was empty and netsh had ended
    std::size_t bytes = 0;
};

// Runs plain_read.exe, watching every millisecond for netsh's journal line
// (the driver's look at a file costs the reader nothing).
// `reader` is plain_read.exe or capture_only.exe (the program's own capture).
PlainRead RunPlainRead(const Bench& bench, const std::string& netsimState, const std::string& copyTo = {},
    const std::string& reader = "plain_read.exe")
{
    const std::string folder = bench.Folder("plain-read", {reader, "netsh.exe"}, netsimState);
    Process program(folder + "\\" + reader, copyTo.empty() ? "" : "\"" + copyTo + "\"", folder);
    double netshAt = 0;
    std::optional<DWORD> code;
    while (!(code = program.WaitForExit(1))) {
        if (netshAt == 0 && JournalExists(folder))
            netshAt = NowMs();
        if (NowMs() - program.StartedAt() > 60000)
            throw Failure("plain_read.exe did not end within 60 s");
    }
    PlainRead read;
    read.wallMs = NowMs() - program.StartedAt();
    if (*code != 0)
        throw Failure("plain_read.exe failed with exit code " + std::to_string(*code));
    const std::string result = ReadWholeFile(folder + "\\plain-read-result.txt").value_or("");
    const auto bytes = result.find("bytes="), start = result.find("start_ms="), end = result.find("end_ms=");
    if (bytes == std::string::npos || start == std::string::npos || end == std::string::npos)
        throw Failure("plain_read.exe wrote no result");
    const double startedAt = std::atof(result.c_str() + start + 9);
    if (startedAt < program.StartedAt() || startedAt > NowMs())
        throw Failure("plain_read.exe's clock is not the driver's: its times cannot be compared");
    read.bytes = static_cast<std::size_t>(std::atoll(result.c_str() + bytes + 6));
    // Both clocks are QueryPerformanceCounter, which Wine takes from the
    // system's monotonic clock: one time line for every process.
    if (netshAt > 0)
        read.fromNetshMs = std::atof(result.c_str() + end + 7) - netshAt;
    return read;
}

struct TamarkoCapture {
    double wallMs = 0;       // start until the window was filled
    double fromNetshMs = 0;  // netsh's journal line until the window was filled
    double cpuMs = 0;        // tamarko.exe's CPU time from its start until then (ticks)
    double runMs = 0;        // the same by schedstat
    long hwmKb = 0;
};

// Starts Tamarko, watches every millisecond for netsh's journal line and
// every 5 ms for the filled window (a message to Tamarko, so less often).
TamarkoCapture RunTamarkoCapture(const Bench& bench, const std::string& netsimState)
{
    const std::string folder = bench.TamarkoFolder("capture-tamarko", netsimState);
    Process program(folder + "\\tamarko.exe", "", folder);
    const std::string caption = Ansi(kMainCaption), legend = Ansi(kStateLegend);
    HWND form = nullptr, statusBar = nullptr;
    double netshAt = 0, filledAt = 0;
    for (int look = 0; filledAt == 0; ++look) {
        Sleep(1);
        if (netshAt == 0 && JournalExists(folder))
            netshAt = NowMs();
        if (look % kPollMs != 0)
            continue;
        program.EnsureRunning("waiting for the filled window");
        if (NowMs() - program.StartedAt() > 120000)
            throw Failure("the window did not show the state of the 5 MiB report within 120 s");
        if (!form)
            form = FindTopWindow(program.Id(), "TForm1", caption);
        if (form && !statusBar)
            statusBar = FindControl(form, 0, 376);
        if (statusBar && Text(statusBar) == legend)
            filledAt = NowMs();
    }
    TamarkoCapture capture;
    capture.wallMs = filledAt - program.StartedAt();
    if (netshAt == 0)
        throw Failure("netsh.exe wrote no journal line");
    capture.fromNetshMs = filledAt - netshAt;
    const MainWindow window(form);
    if (Text(window.connectionName) != Ansi(kConnectionName))
        throw Failure("the window shows another connection than the report's");
    const int pid = WaitForLinuxPid(program.Exe());
    const ProcStat used = MustReadProcStat(pid, "tamarko.exe");
    capture.cpuMs = static_cast<double>(used.cpuTicks) * 1000.0 / bench.clockTicks;
    capture.runMs = static_cast<double>(used.runNs) / 1e6;
    program.WaitUntilIdle("after the 5 MiB report");
    capture.hwmKb = VmHwmKb(pid);
    CloseTamarko(program, window);
    return capture;
}

// netsh's own report of one connection, then the same lines without their
// header repeated in front of it up to 5 MiB: the chooser can list the
// connection only once it has read everything.
std::string MakeBigReport(const Bench& bench, const std::string& sampleFile)
{
    RunPlainRead(bench, LanState(), sampleFile);
    const std::string sample = ReadWholeFile(sampleFile).value_or("");
    const std::string header = "Konfigurace rozhran\xA1 \"";  // code page 852, as netsh writes it
    const auto at = sample.find(header);
    if (at == std::string::npos)
        throw Failure("the stand-in's report has no connection header");
    const auto lineStart = sample.rfind('\n', at);
    const auto lineEnd = sample.find('\n', at);
    const std::string body
        = sample.substr(0, lineStart == std::string::npos ? 0 : lineStart + 1) + sample.substr(lineEnd + 1);
    std::string report;
    report.reserve(kBigReportBytes + sample.size());
    while (report.size() + body.size() + sample.size() <= kBigReportBytes)
        report += body;
    report += sample;
    const std::string path = bench.workDir + "\\report-5mb.txt";
    WriteWholeFile(path, report);
    return path;
}

void MeasureCapture(const Bench& bench, Results& results)
{
    Progress("3. capture of a 5 MiB report, tamarko.exe against a plain ReadFile loop, " + std::to_string(bench.runs)
        + " runs each after one warm-up");
    // Both sizes go through the same report_file hook of the stand-in.
    const std::string sampleFile = bench.workDir + "\\report-sample.txt";
    const std::string bigFile = MakeBigReport(bench, sampleFile);
    const std::string smallState = LanState("report_file = " + sampleFile + "\r\n");
    const std::string bigState = LanState("report_file = " + bigFile + "\r\n");
    const std::size_t bigBytes = ReadWholeFile(bigFile).value_or("").size();
    const std::size_t smallBytes = ReadWholeFile(sampleFile).value_or("").size();

    // Interleaved, so that a slow spell of the machine hits every kind alike.
    std::vector<TamarkoCapture> tamarkoBig, tamarkoSmall;
    std::vector<PlainRead> plainBig, plainSmall, captureBig, captureSmall;
    for (int run = 0; run <= bench.runs; ++run) {
        const PlainRead cSmall = RunPlainRead(bench, smallState, {}, "capture_only.exe");
        const PlainRead cBig = RunPlainRead(bench, bigState, {}, "capture_only.exe");
        const TamarkoCapture tSmall = RunTamarkoCapture(bench, smallState);
        const TamarkoCapture tBig = RunTamarkoCapture(bench, bigState);
        const PlainRead pSmall = RunPlainRead(bench, smallState);
        const PlainRead pBig = RunPlainRead(bench, bigState);
        if (pBig.bytes != bigBytes || pSmall.bytes != smallBytes)
            throw Failure(Format("plain_read.exe read %lu and %lu bytes of %lu and %lu",
                static_cast<unsigned long>(pBig.bytes), static_cast<unsigned long>(pSmall.bytes),
                static_cast<unsigned long>(bigBytes), static_cast<unsigned long>(smallBytes)));
        if (run == 0)
            continue;  // warm-up
        tamarkoSmall.push_back(tSmall);
        tamarkoBig.push_back(tBig);
        plainSmall.push_back(pSmall);
        plainBig.push_back(pBig);
        captureSmall.push_back(cSmall);
        captureBig.push_back(cBig);
    }
    const auto tBigWall = Column(tamarkoBig, &TamarkoCapture::wallMs);
    const auto pBigWall = Column(plainBig, &PlainRead::wallMs);
    const double t = Median(tBigWall), p = Median(pBigWall);
    results.rows += Format("| 3 | 5 MiB report (%lu bytes), whole run: start to filled window / start of the plain "
                           "reader to its end (median of %d; runs: %s / %s ms) | %.0f ms | %.0f ms | %.2f× the time "
                           "| – | – |\n",
        static_cast<unsigned long>(bigBytes), bench.runs, RunList(tBigWall).c_str(), RunList(pBigWall).c_str(), t, p,
        t / p);

    const auto tBigNetsh = Column(tamarkoBig, &TamarkoCapture::fromNetshMs);
    const auto tSmallNetsh = Column(tamarkoSmall, &TamarkoCapture::fromNetshMs);
    const auto pBigNetsh = Column(plainBig, &PlainRead::fromNetshMs);
    const auto pSmallNetsh = Column(plainSmall, &PlainRead::fromNetshMs);
    const double tb = Median(tBigNetsh), ts = Median(tSmallNetsh), pb = Median(pBigNetsh), ps = Median(pSmallNetsh);
    const double tNet = tb - ts, pNet = pb - ps;
    const double mib = static_cast<double>(bigBytes - smallBytes) / (1024.0 * 1024.0);
    results.rows += Format("| 3′ | Capture: from netsh's journal line to the filled window / to the plain reader's "
                           "empty pipe, 5 MiB minus a one-connection report (Tamarko %.0f − %.0f ms, plain %.0f − "
                           "%.0f ms) | %.0f ms",
        tb, ts, pb, ps, tNet);
    if (tNet > 0)
        results.rows += Format(" = %.1f MiB/s", mib / tNet * 1000);
    results.rows += Format(" | %.0f ms", pNet);
    if (pNet > 0)
        results.rows += Format(" = %.1f MiB/s", mib / pNet * 1000);
    if (tNet > 0 && pNet > 0) {
        const double ratio = pNet / tNet;
        results.rows
            += Format(" | %.2f of the plain read's throughput | ≥ 0.5 | %s |\n", ratio, Verdict(ratio >= 0.5).c_str());
    } else {
        results.rows += " | not measurable: a 5 MiB run was not slower than a small one | ≥ 0.5 | – |\n";
    }
    // The capture alone: the program's CaptureCommandOutput against the plain
    // reader, both from netsh's journal line to the end of their reading.
    const auto cBigNetsh = Column(captureBig, &PlainRead::fromNetshMs);
    const auto cSmallNetsh = Column(captureSmall, &PlainRead::fromNetshMs);
    const double cNet = Median(cBigNetsh) - Median(cSmallNetsh);
    results.rows += Format("| 3″ | Capture alone: the program's own capture code (capture_only.exe) from netsh's "
                           "journal line to its end, 5 MiB minus a one-connection report | %.0f ms",
        cNet);
    if (cNet > 0 && pNet > 0) {
        const double ratio = pNet / cNet;
        results.rows
            += Format(" = %.1f MiB/s | %.0f ms = %.1f MiB/s | %.2f of the plain read's throughput | ≥ 0.8 | %s |\n",
                mib / cNet * 1000, pNet, mib / pNet * 1000, ratio, Verdict(ratio >= 0.8).c_str());
    } else {
        results.rows += " | – | not measurable | ≥ 0.8 | – |\n";
    }
    results.notes += Format("- 3″ runs, netsh's journal line to the end (ms): capture alone 5 MiB %s; small %s\n",
        RunList(cBigNetsh).c_str(), RunList(cSmallNetsh).c_str());
    results.notes += Format("- 3′ runs, netsh's journal line to the end (ms): Tamarko 5 MiB %s; Tamarko small %s; "
                            "plain 5 MiB %s; plain small %s\n",
        RunList(tBigNetsh).c_str(), RunList(tSmallNetsh).c_str(), RunList(pBigNetsh).c_str(),
        RunList(pSmallNetsh).c_str());
    const double cpuBig = Median(Column(tamarkoBig, &TamarkoCapture::cpuMs));
    const double cpuSmall = Median(Column(tamarkoSmall, &TamarkoCapture::cpuMs));
    const double runBig = Median(Column(tamarkoBig, &TamarkoCapture::runMs));
    const double runSmall = Median(Column(tamarkoSmall, &TamarkoCapture::runMs));
    results.notes += Format("- 3 tamarko.exe's own CPU time from its start to the filled window (median): %.0f ms "
                            "with the 5 MiB report, %.0f ms with the one-connection one, %.0f ms more (schedstat: "
                            "%.0f and %.0f ms, %.0f ms more)\n",
        cpuBig, cpuSmall, cpuBig - cpuSmall, runBig, runSmall, runBig - runSmall);
    const double hwmKb = Median(Column(tamarkoBig, &TamarkoCapture::hwmKb));
    results.notes += Format("- 5′ peak memory after the 5 MiB report (KiB): %s\n",
        RunList(Column(tamarkoBig, &TamarkoCapture::hwmKb)).c_str());
    const double bigShare = hwmKb / results.minimalHwmKb, smallShare = results.tamarkoSmallHwmKb / results.minimalHwmKb;
    results.rows += Format("| 5 | Peak memory (VmHWM, median) after a normal start; the minimal window that only "
                           "loads the DLLs the start needs (comctl32, ole32, shell32) reaches %.0f KiB = %.2f× | "
                           "%.0f KiB | %.0f KiB (minimal window) | %.2f× | ≤ 1.2× | %s |\n",
        results.startDllsHwmKb, results.startDllsHwmKb / results.minimalHwmKb, results.tamarkoSmallHwmKb,
        results.minimalHwmKb, smallShare, Verdict(smallShare <= 1.2).c_str());
    results.rows += Format("| 5′ | Peak memory (VmHWM, median) after a start with the 5 MiB report | %.0f KiB | %.0f "
                           "KiB (minimal window) | %.2f× | ≤ 1.6× | %s |\n",
        hwmKb, results.minimalHwmKb, bigShare, Verdict(bigShare <= 1.6).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 7) {
        std::fprintf(stderr,
            "usage: bench_driver.exe <ship-dir> <bench-dir> <work-dir> <rows-file> <clk-tck> <runs> "
            "[start|cpu|capture|profile|close ...]\n");
        return 2;
    }
    Bench bench;
    bench.shipDir = WindowsPath(argv[1]);
    bench.benchDir = WindowsPath(argv[2]);
    bench.workDir = WindowsPath(argv[3]);
    const std::string rowsFile = WindowsPath(argv[4]);
    bench.clockTicks = std::atol(argv[5]);
    bench.runs = std::max(1, std::atoi(argv[6]));
    std::set<std::string> parts;
    for (int i = 7; i < argc; ++i)
        parts.insert(argv[i]);
    const auto wanted = [&](const char* part) { return parts.empty() || parts.count(part); };
    try {
        RemoveTree(bench.workDir);
        if (!CreateDirectoryA(bench.workDir.c_str(), nullptr))
            throw Failure("cannot create " + bench.workDir);
        Results results;
        if (wanted("start") || wanted("capture"))
            MeasureStart(bench, results);
        if (wanted("cpu")) {
            MeasureReportWait(bench, results);
            MeasureApply(bench, results);
        }
        if (wanted("capture"))
            MeasureCapture(bench, results);
        if (wanted("profile"))
            MeasureProfile(bench, results);
        if (wanted("close"))
            MeasureClose(bench, results);
        WriteWholeFile(rowsFile, results.rows + "\n" + results.notes + "\n## breakdown\n\n" + results.breakdown);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench: FAILED: %s\n", error.what());
        return 1;
    }
    return 0;
}
