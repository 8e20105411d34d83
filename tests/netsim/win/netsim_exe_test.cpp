// The shipped netsh.exe and ipconfig.exe, run as Tamarko runs them: from
// their own folder (a fresh temporary copy per test), with the exact command
// lines, stdout and stderr captured through pipes.
#include "tests/support/wait_until.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string ToCodePage(UINT codePage, const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

// What the console shows: code page 852, converted by Windows' own tables.
std::string Oem(const std::wstring& text)
{
    return ToCodePage(852, text);
}
std::string Utf8(const std::wstring& text)
{
    return ToCodePage(CP_UTF8, text);
}

using e2e::WaitUntil;

std::wstring ShipFolder()
{
    std::wstring folder = L"Z:";
    for (const char c : std::string(NETSIM_SHIP_DIR))
        folder += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return folder + L"\\";
}

struct RunResult {
    DWORD exitCode = 0;
    std::string out, err;
};

class Handle {
public:
    explicit Handle(HANDLE h = nullptr)
        : h_(h)
    {
    }
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    HANDLE* out() { return &h_; }
    void Reset()
    {
        if (h_ && h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_;
};

double Milliseconds(const FILETIME& t)
{
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
}

// Wine reports no processor time for other processes (GetProcessTimes gives
// zeros), but every Wine process is a Linux process whose /proc entry can be
// read through drive Z:. Ours is the one whose current directory holds
// `marker`; empty when there is none (not running under Wine).
std::wstring FindLinuxProcess(const std::wstring& folder, const std::wstring& marker)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
        if (search == INVALID_HANDLE_VALUE)
            return {};
        std::wstring match;
        do {
            const std::wstring name = found.cFileName;
            if (name.find_first_not_of(L"0123456789") != std::wstring::npos)
                continue;
            const std::wstring candidate = L"Z:\\proc\\" + name + L"\\";
            if (GetFileAttributesW((candidate + L"cwd\\" + marker).c_str()) != INVALID_FILE_ATTRIBUTES)
                match = candidate;
        } while (match.empty() && FindNextFileW(search, &found));
        FindClose(search);
        if (!match.empty())
            return match;
        Sleep(20);
    }
    ADD_FAILURE() << "no Linux process runs in " << Utf8(folder);
    return {};
}

// User plus system time from /proc/<pid>/stat, in milliseconds.
std::optional<double> LinuxCpuMs(const std::wstring& process)
{
    Handle file(CreateFileW((process + L"stat").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return std::nullopt;
    char text[1024] = {};
    DWORD got = 0;
    if (!::ReadFile(file.get(), text, sizeof text - 1, &got, nullptr))
        return std::nullopt;
    // Fields after the command name in parentheses: state is field 3,
    // utime 14 and stime 15, in clock ticks of 10 ms.
    const char* rest = strrchr(text, ')');
    if (!rest)
        return std::nullopt;
    unsigned long long field[16] = {};
    char state = 0;
    if (sscanf(rest + 1, " %c %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu", &state, &field[4],
            &field[5], &field[6], &field[7], &field[8], &field[9], &field[10], &field[11], &field[12], &field[13],
            &field[14], &field[15])
        != 13)
        return std::nullopt;
    return static_cast<double>(field[14] + field[15]) * 10.0;
}

class NetsimExe : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        // A folder of an earlier run may hold the name: Wine gives process
        // ids out again, and a folder that a hung child still had as its
        // current one could not be removed.
        for (;;) {
            folder_ = std::wstring(temp) + L"netsim-" + std::to_wstring(GetCurrentProcessId()) + L"-"
                + std::to_wstring(++counter) + L"\\";
            if (CreateDirectoryW(folder_.c_str(), nullptr))
                break;
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        }
        for (const wchar_t* exe : {L"netsh.exe", L"ipconfig.exe"}) {
            ASSERT_TRUE(CopyFileW((ShipFolder() + exe).c_str(), (folder_ + exe).c_str(), FALSE))
                << "build the win32 tree first: " << NETSIM_SHIP_DIR;
        }
    }

    void TearDown() override
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder_ + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((folder_ + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder_.c_str());
    }

    void WriteFile(const wchar_t* name, const std::string& bytes)
    {
        Handle file(CreateFileW((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }

    bool Exists(const wchar_t* name) { return GetFileAttributesW((folder_ + name).c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::string ReadFile(const wchar_t* name)
    {
        Handle file(CreateFileW((folder_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
            OPEN_EXISTING, 0, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE)
            return "(missing)";
        std::string bytes;
        char chunk[4096];
        DWORD got = 0;
        while (::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
            bytes.append(chunk, got);
        return bytes;
    }

    // Starts exe from the test folder with exactly `commandLine`.
    PROCESS_INFORMATION Start(const std::wstring& commandLine, HANDLE out, HANDLE err)
    {
        const std::wstring exe = folder_ + (commandLine.rfind(L"ipconfig", 0) == 0 ? L"ipconfig.exe" : L"netsh.exe");
        std::wstring mutableLine = commandLine;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process{};
        const BOOL started = CreateProcessW(exe.c_str(), mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
            nullptr, folder_.c_str(), &startup, &process);
        EXPECT_TRUE(started) << "CreateProcess " << GetLastError();
        return process;
    }

    RunResult Run(const std::wstring& commandLine)
    {
        RunResult result;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        Handle outRead, outWrite, errRead, errWrite;
        if (!CreatePipe(outRead.out(), outWrite.out(), &inherit, 0)
            || !CreatePipe(errRead.out(), errWrite.out(), &inherit, 0)) {
            ADD_FAILURE() << "CreatePipe";
            return result;
        }
        SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);

        PROCESS_INFORMATION process = Start(commandLine, outWrite.get(), errWrite.get());
        Handle processHandle(process.hProcess), threadHandle(process.hThread);
        outWrite.Reset();  // the child holds the only write ends now, so reads end with it
        errWrite.Reset();
        const auto drain = [](HANDLE pipe, std::string* into) {
            char chunk[4096];
            DWORD got = 0;
            while (::ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0)
                into->append(chunk, got);
        };
        std::thread outReader(drain, outRead.get(), &result.out), errReader(drain, errRead.get(), &result.err);
        if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "still running";
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        outReader.join();
        errReader.join();
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        return result;
    }

    std::wstring folder_;
};

// One static connection with two DNS servers, written by hand.
const char kStaticState[] = "[netsim]\r\n"
                            "dhcp_pool = 10.0.0.100\r\n"
                            "\r\n"
                            "[connection]\r\n"
                            "name = Připojení k místní síti\r\n"
                            "dhcp = no\r\n"
                            "ip = 192.168.100.200\r\n"
                            "mask = 255.255.255.0\r\n"
                            "gateway = 192.168.100.1\r\n"
                            "dns = 192.168.100.2, 8.8.8.8\r\n"
                            "\r\n"
                            "[connection]\r\n"
                            "name = Bezdrátové připojení k síti\r\n"
                            "dhcp = yes\r\n";

const std::wstring kWired = L"\"Připojení k místní síti\"";

std::wstring Spaces(int n)
{
    return std::wstring(static_cast<std::size_t>(n), L' ');
}

TEST_F(NetsimExe, ShowConfigPrintsTheCzechReportInCodePage852)
{
    WriteFile(L"netsim-state.txt", kStaticState);
    const RunResult r = Run(L"netsh interface ip show config " + kWired);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.err, "");
    // Columns: values at 50, 42, 45, 41, 44 and the second DNS server at 41.
    const std::wstring expected = L"\r\n"
                                  L"Konfigurace rozhraní \"Připojení k místní síti\"\r\n"
                                  L"    Povolen server DHCP:"
        + Spaces(25)
        + L"No\r\n"
          L"    Adresa IP:"
        + Spaces(27)
        + L"192.168.100.200\r\n"
          L"    Maska podsítě:"
        + Spaces(26)
        + L"255.255.255.0\r\n"
          L"    Výchozí brána:"
        + Spaces(22)
        + L"192.168.100.1\r\n"
          L"    Metrika brány:"
        + Spaces(26)
        + L"1\r\n"
          L"    Metrika rozhraní:"
        + Spaces(23)
        + L"0\r\n"
          L"    Staticky konfigurované servery DNS:"
        + Spaces(4) + L"192.168.100.2\r\n" + Spaces(40)
        + L"8.8.8.8\r\n"
          L"    Staticky konfigurované servery WINS:"
        + Spaces(4)
        + L"Žádné\r\n"
          L"    Registrovat s příponou:"
        + Spaces(17) + L"Pouze primární\r\n";
    EXPECT_EQ(r.out, Oem(expected));

    const RunResult all = Run(L"netsh interface ip show config");
    EXPECT_EQ(all.exitCode, 0u);
    EXPECT_EQ(all.out.find(Oem(expected)), 0u) << "the first section, then the next";
    EXPECT_NE(
        all.out.find(Oem(L"\r\n\r\nKonfigurace rozhraní \"Bezdrátové připojení k síti\"\r\n")), std::string::npos);
    EXPECT_NE(all.out.find(Oem(L"    Adresa IP:" + Spaces(27) + L"10.0.0.101\r\n")), std::string::npos);
}

TEST_F(NetsimExe, ApplySequenceChangesTheStateAndIsJournalled)
{
    WriteFile(L"netsim-state.txt", kStaticState);
    const std::vector<std::wstring> lines = {
        L"netsh interface ip set address " + kWired + L" static 10.0.0.5 255.255.255.0 10.0.0.1 1",
        L"netsh interface ip set dns " + kWired + L" static 10.0.0.2",
        L"netsh interface ip add dns " + kWired + L" 10.0.0.3",
        L"netsh interface ip set address \"Bezdrátové připojení k síti\" static 172.16.0.9 255.255.0.0 none",
        L"ipconfig /release",
        L"ipconfig /renew",
    };
    std::string journal;
    for (const auto& line : lines) {
        const RunResult r = Run(line);
        // With every connection static, ipconfig has no adapter to act on
        // and says so with 1, as the real one does.
        EXPECT_EQ(r.exitCode, line.rfind(L"ipconfig", 0) == 0 ? 1u : 0u) << Utf8(line) << "\n" << r.out << r.err;
        journal += Utf8(line) + "\r\n";
    }
    const RunResult report = Run(L"netsh interface ip show config");
    journal += "netsh interface ip show config\r\n";
    const std::wstring expectedLines[] = {
        L"    Adresa IP:" + Spaces(27) + L"10.0.0.5\r\n",
        L"    Výchozí brána:" + Spaces(22) + L"10.0.0.1\r\n",
        L"    Staticky konfigurované servery DNS:" + Spaces(4) + L"10.0.0.2\r\n" + Spaces(40) + L"10.0.0.3\r\n",
        L"    Adresa IP:" + Spaces(27) + L"172.16.0.9\r\n",
    };
    for (const auto& line : expectedLines)
        EXPECT_NE(report.out.find(Oem(line)), std::string::npos) << Utf8(line);
    EXPECT_EQ(report.out.find("192.168.100"), std::string::npos);
    EXPECT_EQ(ReadFile(L"netsim-journal.txt"), journal);
}

TEST_F(NetsimExe, DhcpLeaseFollowsReleaseAndRenew)
{
    WriteFile(L"netsim-state.txt", kStaticState);
    EXPECT_EQ(Run(L"netsh interface ip set address " + kWired + L" dhcp").exitCode, 0u);
    const std::wstring dhcp = L"    Povolen server DHCP:" + Spaces(25) + L"Yes\r\n";
    const struct {
        const wchar_t* command;
        const wchar_t* address;
    } steps[] = {
        {nullptr, L"10.0.0.100"},
        {L"ipconfig /release", L"0.0.0.0"},
        {L"ipconfig /renew", L"10.0.0.100"},
    };
    for (const auto& step : steps) {
        if (step.command) {
            EXPECT_EQ(Run(step.command).exitCode, 0u);
        }
        const RunResult r = Run(L"netsh interface ip show config " + kWired);
        EXPECT_NE(r.out.find(Oem(dhcp + L"    Adresa IP:" + Spaces(27) + step.address + L"\r\n")), std::string::npos)
            << r.out;
    }
}

TEST_F(NetsimExe, RefusedCommandsChangeNothing)
{
    WriteFile(L"netsim-state.txt", kStaticState);
    const struct {
        std::wstring line;
        std::wstring message;
    } cases[] = {
        {L"netsh interface ip set address \"Neznámé připojení\" dhcp",
            L"Rozhraní \"Neznámé připojení\" nebylo nalezeno.\r\n"},
        {L"netsh interface ip set dns " + kWired + L" static 10.0.0.300", L"Adresa \"10.0.0.300\" je neplatná."},
        {L"netsh interface ip set address " + kWired + L" static 10.0.0.5 255.255.255.0",
            L"Zadaný parametr je neplatný.\r\n"},
        {L"netsh interface ip delete dns " + kWired + L" all", L"Následující příkaz nebyl nalezen:"},
        {L"ipconfig /flushdns", L"neznámý přepínač"},
    };
    for (const auto& c : cases) {
        const RunResult r = Run(c.line);
        EXPECT_EQ(r.exitCode, 1u) << Utf8(c.line);
        EXPECT_NE(r.out.find(Oem(c.message)), std::string::npos) << Utf8(c.line) << "\n" << r.out;
        EXPECT_EQ(ReadFile(L"netsim-state.txt"), kStaticState) << Utf8(c.line);
    }
}

TEST_F(NetsimExe, DelaySleepsWithoutSpendingProcessorTime)
{
    // A delay far longer than the look, so the look lies within it whatever
    // the machine's load; the run is ended afterwards.
    WriteFile(L"netsim-state.txt", std::string("[netsim]\r\ndelay_ms = 60000\r\n") + (kStaticState + 10));
    WriteFile(L"cpu-probe.marker", "");
    PROCESS_INFORMATION process = Start(L"netsh interface ip show config", nullptr, nullptr);
    Handle processHandle(process.hProcess), threadHandle(process.hThread);
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(L"netsim-journal.txt") == "netsh interface ip show config\r\n"; }))
        << "the run never reached its delay";

    // Processor time spent over one second of the delay.
    std::optional<double> spentMs;
    const std::wstring linuxProcess = FindLinuxProcess(folder_, L"cpu-probe.marker");
    FILETIME created, exited, kernel, user;
    const auto ownAccounting = [&]() -> std::optional<double> {
        // On Windows itself the process's own accounting is there.
        if (!GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user))
            return std::nullopt;
        return Milliseconds(kernel) + Milliseconds(user);
    };
    const auto before = linuxProcess.empty() ? ownAccounting() : LinuxCpuMs(linuxProcess);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 1000), static_cast<DWORD>(WAIT_TIMEOUT)) << "still in its delay";
    const auto after = linuxProcess.empty() ? ownAccounting() : LinuxCpuMs(linuxProcess);
    if (before && after)
        spentMs = *after - *before;
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 5000);

    ASSERT_TRUE(spentMs.has_value()) << "no way to measure the child's processor time";
    // A busy wait would spend the whole second here.
    EXPECT_LT(*spentMs, 100.0);
}

TEST_F(NetsimExe, ReportFileAndExitCodeHooks)
{
    WriteFile(L"netsim-state.txt",
        std::string("[netsim]\r\nreport_file = fake report.bin\r\nexit_code = 5\r\n") + (kStaticState + 10));
    const std::string raw("no CR LF here\n\x00\xFF\xA1 Konfigurace rozhran\xA1 \"X\"", 40);
    WriteFile(L"fake report.bin", raw);
    const RunResult shown = Run(L"netsh interface ip show config");
    EXPECT_EQ(shown.out, raw);
    EXPECT_EQ(shown.exitCode, 5u);
    const RunResult renewed = Run(L"ipconfig /renew");
    EXPECT_EQ(renewed.exitCode, 5u);
    EXPECT_NE(renewed.out.find(Oem(L"Konfigurace IP systému Windows")), std::string::npos);
}

TEST_F(NetsimExe, HangKeepsRunningAfterTheJournalLine)
{
    WriteFile(L"netsim-state.txt", std::string("[netsim]\r\nhang = yes\r\n") + (kStaticState + 10));
    PROCESS_INFORMATION process = Start(L"ipconfig /renew", nullptr, nullptr);
    Handle processHandle(process.hProcess), threadHandle(process.hThread);
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(L"netsim-journal.txt") == "ipconfig /renew\r\n"; }));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 1000), static_cast<DWORD>(WAIT_TIMEOUT));
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 5000);
}

TEST_F(NetsimExe, AGateLetsOneRunThroughEachTimeItOpens)
{
    WriteFile(L"netsim-state.txt", std::string("[netsim]\r\ngate = brána\r\n") + (kStaticState + 10));
    PROCESS_INFORMATION first = Start(L"ipconfig /release", nullptr, nullptr);
    Handle firstHandle(first.hProcess), firstThread(first.hThread);
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(L"netsim-journal.txt") == "ipconfig /release\r\n"; }));
    PROCESS_INFORMATION second = Start(L"ipconfig /renew", nullptr, nullptr);
    Handle secondHandle(second.hProcess), secondThread(second.hThread);
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(L"netsim-journal.txt").size() > 19; }));
    EXPECT_EQ(WaitForSingleObject(first.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "shut, the gate holds";

    // One opening lets one of the two through, the next one the other.
    const HANDLE both[] = {first.hProcess, second.hProcess};
    WriteFile(L"brána", "");
    const DWORD through = WaitForMultipleObjects(2, both, FALSE, 30000);
    ASSERT_LT(through - WAIT_OBJECT_0, 2u) << "an opened gate lets a run through";
    EXPECT_EQ(WaitForSingleObject(both[1 - (through - WAIT_OBJECT_0)], 500), static_cast<DWORD>(WAIT_TIMEOUT))
        << "one opening, one run";
    EXPECT_FALSE(Exists(L"brána")) << "the run took the file";
    WriteFile(L"brána", "");
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    for (const HANDLE process : both) {
        DWORD code = 1;
        GetExitCodeProcess(process, &code);
        EXPECT_EQ(code, 0u);
    }
}

TEST_F(NetsimExe, MissingStateIsTheDemoAndBrokenStateAnError)
{
    const RunResult demo = Run(L"netsh interface ip show config");
    EXPECT_EQ(demo.exitCode, 0u);
    EXPECT_NE(demo.out.find(Oem(L"Konfigurace rozhraní \"Připojení k místní síti\"\r\n")), std::string::npos);
    EXPECT_NE(demo.out.find(Oem(L"Konfigurace rozhraní \"Bezdrátové připojení k síti\"\r\n")), std::string::npos);
    EXPECT_NE(
        ReadFile(L"netsim-state.txt").find("[connection]\r\nname = Připojení k místní síti\r\n"), std::string::npos);

    const std::string broken = "[netsim]\r\ndelay_ms = 10\r\n[connection]\r\nname = x\r\nip = 1.2.3\r\n";
    WriteFile(L"netsim-state.txt", broken);
    const RunResult r = Run(L"netsh interface ip show config");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, Oem(L"netsim: chyba v souboru netsim-state.txt na řádku 5: neplatná adresa \"1.2.3\".\r\n"));
    EXPECT_EQ(ReadFile(L"netsim-state.txt"), broken);
}

TEST_F(NetsimExe, ConcurrentRunsLoseNoJournalLineAndNoChange)
{
    WriteFile(L"netsim-state.txt", kStaticState);
    constexpr int kRuns = 8;
    std::vector<PROCESS_INFORMATION> processes;
    std::string expected;
    for (int i = 0; i < kRuns; ++i) {
        processes.push_back(
            Start(L"netsh interface ip add dns " + kWired + L" 10.9.9." + std::to_wstring(i), nullptr, nullptr));
    }
    for (auto& process : processes) {
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
        DWORD code = 99;
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    const std::string journal = ReadFile(L"netsim-journal.txt");
    const std::string state = ReadFile(L"netsim-state.txt");
    for (int i = 0; i < kRuns; ++i) {
        const std::string address = "10.9.9." + std::to_string(i);
        const std::string line = Utf8(L"netsh interface ip add dns " + kWired + L" ") + address + "\r\n";
        EXPECT_NE(journal.find(line), std::string::npos) << line;
        EXPECT_NE(state.find(address), std::string::npos) << "every change is kept: " << address;
    }
    EXPECT_EQ(journal.size(), kRuns * Utf8(L"netsh interface ip add dns " + kWired + L" 10.9.9.0\r\n").size());
}

}  // namespace
