// Long use of one running Tamarko: every cycle applies the settings (manual
// and automatic in turn; the read-back opens the chooser), opens and closes
// the about box, hides the window in the notification area and brings it
// back, and loads a settings file with a quick button. Before, every few
// cycles and after, it reads what the process holds and prints a table; it
// fails when anything grows past a small allowance after the warm-up, and
// when the recorder saw a rule of Windows broken.
//
//   soak.exe [--cycles N] [--every K]     (defaults: 300 cycles, a row every 50)
#include "tests/support/driver.h"
#include "tests/support/recording.h"
#include "ui/commands.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace e2e;

namespace {

const char kConnection[] = "LAN";
const char kReportCommand[] = "netsh interface ip show config";
const char kStateLegend[] = "Zeleně podbarvené položky = aktuální stav.";
const UINT kTrayCallback = WM_USER + 1;
// The settings file of the quick button: the machine's own static address.
const char kSettings[] = "[Nastavení]\r\nIP=192.168.1.10\r\nmaska=255.255.255.0\r\nbrana=192.168.1.1\r\n"
                         "dns=192.168.1.1\r\ndns2=8.8.8.8\r\nrucne=1\r\nauto=0\r\nproxy=0\r\n";

// What may grow between the end of the warm-up and the end: a leak of one
// handle or window per cycle goes far past these.
const long kHandleAllowance = 3;
const long kWindowAllowance = 1;
const long kPrivateKiBAllowance = 1024;

// ---- What the process holds

// Kernel handles: Wine counts them per process for the whole system's
// handle list, though not for GetProcessHandleCount (always 0 there).
long KernelHandles(DWORD processId)
{
    struct Entry {
        ULONG ownerPid;
        BYTE objectType, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return -1;
    std::vector<char> buffer(256 * 1024);
    const ULONG kSystemHandleInformation = 16;
    const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    ULONG length = 0;
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length))
        == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG));
    long owned = 0;
    for (ULONG i = 0; i < count; ++i)
        owned += entries[i].ownerPid == processId;
    return owned;
}

struct WindowCount {
    DWORD processId;
    long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM parameter)
{
    ++reinterpret_cast<WindowCount*>(parameter)->count;
    return TRUE;
}

BOOL CALLBACK CountTopWindow(HWND window, LPARAM parameter)
{
    auto& windows = *reinterpret_cast<WindowCount*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == windows.processId) {
        ++windows.count;
        EnumChildWindows(window, CountChild, parameter);
    }
    return TRUE;
}

// The windows another process can see, whoever made them.
long Windows(DWORD processId)
{
    WindowCount windows{processId, 0};
    EnumWindows(CountTopWindow, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

struct Sample {
    int cycle;
    long handles, windows, gdiObjects, userObjects, privateKiB, workingSetKiB;
};

// GDI and USER objects are counted from the recorder's log: those the
// program made and has not given back (Wine's GetGuiResources gives 0).
Sample Measure(int cycle, DWORD processId, const verifier::LiveObjects& live)
{
    Sample sample{cycle, KernelHandles(processId), Windows(processId), live.Gdi(), live.User(), -1, -1};
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process) {
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
            // Wine fills no PrivateUsage; PagefileUsage is its private commit.
            sample.privateKiB = static_cast<long>(memory.PagefileUsage / 1024);
            sample.workingSetKiB = static_cast<long>(memory.WorkingSetSize / 1024);
        }
        CloseHandle(process);
    }
    return sample;
}

std::string Cell(long value)
{
    return value < 0 ? "n/a" : std::to_string(value);
}

void PrintRow(const Sample& s)
{
    std::printf("| %d | %s | %s | %s | %s | %s | %s |\n", s.cycle, Cell(s.handles).c_str(), Cell(s.windows).c_str(),
        Cell(s.gdiObjects).c_str(), Cell(s.userObjects).c_str(), Cell(s.privateKiB).c_str(),
        Cell(s.workingSetKiB).c_str());
    std::fflush(stdout);
}

// ---- What a user does

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error(what);
}

void Expect(bool condition, const std::string& what)
{
    if (!condition)
        Fail(what);
}

class Session {
public:
    explicit Session(ProgramFolder& folder)
        : folder_(folder)
    {
        program_ = StartTamarko(folder_);
        log_ = std::make_unique<RecorderLog>(folder_.File("recorder-" + std::to_string(program_.Id()) + ".log"));
        form_ = WaitForTopWindow(program_.Id(), "TForm1", "Tamarko");
        Expect(form_ != nullptr, "the main window did not appear");
        Expect(WaitUntil([&] { return Text(Control(0, 376)) == kStateLegend; }), "the window was not filled");
    }

    DWORD ProcessId() const { return program_.Id(); }

    // What the recorder saw so far: Windows' rules broken, objects alive.
    const verifier::CallLogChecker& Recorded()
    {
        log_->Update();
        return log_->Checker();
    }
    void ExpectNoRuleBroken()
    {
        std::string broken;
        for (const verifier::Violation& violation : Recorded().Violations())
            broken += "\n  " + verifier::Describe(violation);
        Expect(broken.empty(), "Windows' rules broken:" + broken);
    }

    void Apply(bool manual)
    {
        BringToFront(form_);
        HWND mode = Control(manual ? 152 : 208, 91);
        if (!Checked(mode)) {
            Expect(ClickSurely(mode, 6, 8), "the mode could not be clicked");
            if (!WaitUntil([&] { return Checked(mode); }))
                Fail("the mode did not change" + State());
        }
        const std::size_t before = folder_.Journal().size();
        HWND apply = Control(8, 344);
        Expect(ClickSurely(apply, 140, 12), "the apply button could not be clicked");
        const bool ended = WaitUntil(
            [&] {
                const std::vector<std::string> journal = folder_.Journal();
                return journal.size() > before + 2 && journal.back() == kReportCommand && Enabled(form_)
                    && Enabled(apply) && Text(Control(0, 376)) == kStateLegend;
            },
            60s);
        if (!ended)
            Fail("the apply did not end with the window filled again (" + std::to_string(before)
                + " commands before it, the button " + (Enabled(apply) ? "enabled" : "disabled") + ")" + State());
        const auto box = WaitForMessageBox(program_.Id(), 0ms);
        Expect(!box, "a message box: " + (box ? box->text : std::string()));
    }

    void AboutBox()
    {
        PostCommand(form_, cmAbout);
        HWND about = WaitForTopWindow(program_.Id(), "TAutor");
        Expect(about != nullptr, "the about box did not open");
        Expect(ClickSurely(FindControl(about, 304, 304), 10, 10), "Zavřít could not be clicked");
        Expect(WaitUntil([&] { return !IsWindow(about) && Enabled(form_); }), "the about box did not close");
    }

    void ToTrayAndBack()
    {
        PostMessageA(form_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        Expect(WaitUntil([&] { return !IsWindowVisible(form_); }), "the window did not go to the tray");
        PostMessageA(form_, kTrayCallback, 1, WM_LBUTTONDBLCLK);
        Expect(WaitUntil([&] { return IsWindowVisible(form_) && !IsIconic(form_); }), "the window did not come back");
    }

    void LoadWithQuickButton()
    {
        // The fields are changed first, so that the load shows.
        HWND ip = Control(152, 112);
        SendMessageA(ip, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1.1.1.1"));
        BringToFront(form_);
        Expect(ClickSurely(FindControl(Control(0, 0), 88, 2), 11, 11), "the quick button could not be clicked");
        Expect(WaitUntil([&] { return Text(ip) == "192.168.1.10"; }), "the settings file was not loaded");
    }

    // What the program shows and what the stand-ins ran: said with a failure.
    std::string State() const
    {
        std::string state = " (main window " + std::string(Enabled(form_) ? "enabled" : "disabled") + ", status \""
            + Text(Control(0, 376)) + "\", windows:";
        for (const std::string& name : VisibleTopWindowClasses(program_.Id()))
            state += " " + name;
        const std::vector<std::string> journal = folder_.Journal();
        state += "; " + std::to_string(journal.size()) + " commands, the last \""
            + (journal.empty() ? std::string() : journal.back()) + "\")";
        return state;
    }

    void Close()
    {
        PostCommand(form_, cmClose);
        Expect(program_.WaitForExit(30s).has_value(), "the program did not end");
        Expect(Recorded().Ended(), "the recorder saw no end");
        ExpectNoRuleBroken();
    }

private:
    HWND Control(int left, int top) const { return FindControl(form_, left, top); }

    ProgramFolder& folder_;
    Process program_;
    std::unique_ptr<RecorderLog> log_;
    HWND form_ = nullptr;
};

int Argument(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv)
{
    const int cycles = Argument(argc, argv, "--cycles", 300);
    const int every = Argument(argc, argv, "--every", 50);
    // The first row after the start-up is the warm-up's end: caches, fonts
    // and the first chooser settle there.
    const int warmUp = std::min(every, cycles);

    ProgramFolder folder("soak");
    folder.WriteNetsimState(AnsiToUtf8("[netsim]\r\n[connection]\r\nname = " + std::string(kConnection)
        + "\r\ndhcp = no\r\nip = 192.168.1.10\r\nmask = 255.255.255.0\r\ngateway = 192.168.1.1\r\n"
          "dns = 192.168.1.1, 8.8.8.8\r\n"));
    const std::string settings = folder.File("soak.dat");
    WriteFileBytes(settings, kSettings);
    WriteFileBytes(folder.IniPath(), "[RychleIkony]\r\nBut1=" + settings + "\r\n");
    // The proxy switched off, so that manual applies need no proxy address.
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        == ERROR_SUCCESS) {
        const DWORD off = 0;
        RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
        RegCloseKey(key);
    }

    std::vector<Sample> samples;
    try {
        Session session(folder);
        std::printf("%d cycles of: an apply (manual and automatic in turn; its read-back opens the chooser), the "
                    "about box, the notification area and back, a settings file from a quick button.\n\n",
            cycles);
        std::printf(
            "| Cycle | Kernel handles | Windows | GDI objects | USER objects | Private KiB | Working set KiB |\n");
        std::printf("|---|---|---|---|---|---|---|\n");
        samples.push_back(Measure(0, session.ProcessId(), session.Recorded().Live()));
        PrintRow(samples.back());
        for (int cycle = 1; cycle <= cycles; ++cycle) {
            session.Apply(cycle % 2 == 1);
            session.AboutBox();
            session.ToTrayAndBack();
            session.LoadWithQuickButton();
            if (cycle % every == 0 || cycle == cycles) {
                session.ExpectNoRuleBroken();
                samples.push_back(Measure(cycle, session.ProcessId(), session.Recorded().Live()));
                PrintRow(samples.back());
            }
        }
        const verifier::LiveObjects live = session.Recorded().Live();
        std::printf("\nAlive at the last row: GDI %s; USER %s.\n", live.GdiByKind().c_str(), live.UserByKind().c_str());
        session.Close();
    } catch (const std::exception& failure) {
        std::printf("\nsoak: FAILED: %s\n", failure.what());
        return 1;
    }

    // From the warm-up's end to the last row.
    const auto base = std::find_if(samples.begin(), samples.end(), [&](const Sample& s) { return s.cycle >= warmUp; });
    const Sample& last = samples.back();
    const struct {
        const char* what;
        long Sample::*value;
        long allowance;
    } checks[] = {
        {"kernel handles", &Sample::handles, kHandleAllowance},
        {"windows", &Sample::windows, kWindowAllowance},
        {"GDI objects", &Sample::gdiObjects, kHandleAllowance},
        {"USER objects", &Sample::userObjects, kHandleAllowance},
        {"private KiB", &Sample::privateKiB, kPrivateKiBAllowance},
    };
    bool grew = false;
    std::printf("\nFrom cycle %d to %d:", base->cycle, last.cycle);
    for (const auto& check : checks) {
        const long from = (*base).*check.value;
        const long to = last.*check.value;
        if (from < 0 || to < 0) {
            std::printf(" %s not counted;", check.what);
            continue;
        }
        std::printf(" %s %+ld (allowed %+ld);", check.what, to - from, check.allowance);
        grew = grew || to - from > check.allowance;
    }
    std::printf("\nsoak: %s\n", grew ? "FAILED: something grows" : "flat");
    return grew ? 1 : 0;
}
