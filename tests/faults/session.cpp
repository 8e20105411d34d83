#include "tests/faults/session.h"

#include "tests/support/program_model.h"
#include "tests/support/recording.h"
#include "ui/commands.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace faults {

const ProxyPair kOldProxy{0, "stary.proxy.cz:3128"};
const ProxyPair kNewProxy{1, "10.20.30.9:8080"};
// Both hold a section the program does not know, which must survive.
const char kOldSettingsFile[]
    = "[Nastavení]\r\nIP=192.168.9.9\r\nmaska=255.255.0.0\r\nrucne=1\r\nauto=0\r\n[Poznámky]\r\nautor=správce\r\n";
// The program INI file places the window and binds the third quick button:
// a start that took it for nothing would put the defaults over both.
const char kOldProgramIni[]
    = "[Nastavení]\r\nLeft=120\r\nTop=100\r\n[RychleIkony]\r\nBut3=C:\\Profily\\kancelar.dat\r\n"
      "MenuItem9=0\r\nMenuItem10=1\r\nMenuItem12=1\r\n[Jiné]\r\nponechat=ano\r\n";

namespace {

using namespace e2e;

const char kStopped[] = "Nastavení nebylo dokončeno.";
const char kSaveTitle[] = "Uložit nastavení sítě";
const char kOpenTitle[] = "Otevřít nastavení sítě";
const UINT kTrayCallback = WM_USER + 1;
const int kChosenConnection = 1;  // WLAN, the second of the chooser's list

// What the apply writes and the settings file keeps.
struct Settings {
    std::string ip, mask, gateway, dns, dns2, proxyAddress, proxyPort;
};
const Settings kApplied{"10.20.30.40", "255.255.255.0", "10.20.30.1", "10.20.30.2", "10.20.30.3", "10.20.30.9", "8080"};

// A dialog of the process that is a file dialog: it has a name box.
bool IsFileDialog(HWND dialog)
{
    return FileNameEdit(dialog) != nullptr;
}

std::vector<HWND> VisibleDialogs(DWORD processId)
{
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) WINAPI -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId && IsWindowVisible(window) && ClassName(window) == "#32770")
                s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class Session {
public:
    Session(const ProgramFolder& folder, const SessionFiles& files, const std::optional<Fault>& fault,
        const FileCheck& checkFiles)
        : folder_(folder)
        , files_(files)
        , fault_(fault)
        , checkFiles_(checkFiles)
    {
    }

    SessionRecord Run()
    {
        const std::pair<const char*, Result (Session::*)()> phases[] = {
            {"start", &Session::Start},
            {"apply", &Session::Apply},
            {"save", &Session::SaveOver},
            {"load", &Session::Load},
            {"about box", &Session::AboutBox},
            {"notification area", &Session::TrayAndBack},
            {"quick button", &Session::Bind},
            {"desktop shortcut", &Session::MakeShortcut},
            {"close", &Session::Close},
        };
        const Watchdog watchdog;
        for (const auto& [name, phase] : phases) {
            if (!RunPhase(name, phase))
                break;
        }
        if (watchdog.Fired()) {
            record_.hung = true;
            record_.ending = "the session did not end within " + std::to_string(Watchdog::kMinutes) + " minutes";
        }
        if (program_.Running()) {
            program_.Kill();
            record_.ending = record_.ending.empty() ? "ended by force" : record_.ending;
        }
        return record_;
    }

private:
    // A call into the program that never returns (a box the driver cannot
    // answer while it waits for the call) would hold the sweep for good: past
    // the bound the program is ended, which frees the driver, and the run
    // counts as hung. The sweep has a prefix of its own, so only its
    // program goes.
    class Watchdog {
    public:
        static constexpr int kMinutes = 5;
        Watchdog()
            : thread_([this] {
                std::unique_lock<std::mutex> lock(mutex_);
                if (!ended_.wait_for(lock, std::chrono::minutes(kMinutes), [this] { return done_; })) {
                    fired_ = true;
                    KillProcessesNamed("tamarko.exe");
                }
            })
        {
        }
        ~Watchdog()
        {
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                done_ = true;
            }
            ended_.notify_one();
            thread_.join();
        }
        bool Fired() const { return fired_; }

    private:
        std::mutex mutex_;
        std::condition_variable ended_;
        bool done_ = false;
        std::atomic<bool> fired_{false};
        std::thread thread_;
    };

    // Over: the program has ended or stopped answering; the session is over.
    enum class Result { Done, NotDone, Over };

    // A phase is tried once more when it did not come off after the program
    // said something, as a user who read the box would.
    bool RunPhase(const char* name, Result (Session::*phase)())
    {
        for (int attempt = 1; attempt <= 2; ++attempt) {
            BeginPhase(name);
            const std::size_t boxesBefore = record_.boxes.size();
            problem_.clear();
            const Result result = (this->*phase)();
            if (checkFiles_) {
                // Each damage once, where it was first seen.
                for (const std::string& problem : checkFiles_(record_)) {
                    if (filesSeen_.insert(problem).second)
                        record_.files.push_back(std::string("after the phase ") + name + ": " + problem);
                }
            }
            if (result == Result::Done)
                return true;
            if (result == Result::Over)
                return false;
            if (record_.boxes.size() == boxesBefore || attempt == 2) {
                record_.steps.push_back(std::string(name) + ": " + problem_
                    + (record_.boxes.size() == boxesBefore ? ", and nothing was said" : ", twice"));
                return NotDoneGoesOn(name);
            }
        }
        return true;
    }

    // After a phase that did not come off, the session goes on if the
    // program still can.
    bool NotDoneGoesOn(const char*) { return program_.Running() && form_ && Responds(form_, 10s); }

    // ---- Waiting, and answering what the program asks

    // Waits until `done` holds, answering meanwhile the program's message
    // boxes (their texts are noted) and the connection chooser.
    Result Until(const std::function<bool()>& done, Duration timeout, const std::string& what)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (!program_.Running()) {
                record_.exitCode = program_.WaitForExit(5s);
                record_.ended = true;
                record_.ending = "ended while " + what;
                return Result::Over;
            }
            AnswerQuestions();
            if (done())
                return Result::Done;
            if (std::chrono::steady_clock::now() > end) {
                problem_ = what + " did not happen";
                if (form_ && !Responds(form_, 10s)) {
                    record_.hung = true;
                    record_.ending = "stopped answering while " + what;
                    return Result::Over;
                }
                return Result::NotDone;
            }
            std::this_thread::sleep_for(20ms);
        }
    }

    void AnswerQuestions()
    {
        for (HWND dialog : VisibleDialogs(program_.Id())) {
            if (IsFileDialog(dialog))
                continue;
            const std::string caption = Text(dialog);
            const std::string text = MessageBoxText(dialog);
            // A question is answered yes: the save dialog's whether to replace
            // the file, the program's whether to end without its settings.
            const bool question = GetDlgItem(dialog, IDYES) != nullptr;
            if (caption == "Tamarko")
                record_.boxes.push_back(text);
            PressButton(dialog, question ? IDYES : IDOK);
        }
        // The chooser asks once it has listed what a new report found:
        // enabled, the connection chosen last offered again after an apply.
        // A choice it did not take, after a box that said why, is made again.
        HWND chooser = FindTopWindow(program_.Id(), "TForm2");
        HWND list = chooser ? FindControl(chooser, 0, 32) : nullptr;
        if (!list || !Enabled(chooser) || SendMessageA(list, LB_GETCOUNT, 0, 0) <= kChosenConnection)
            return;
        const std::size_t reports = Reports();
        if (reports > reportsAtChoice_ || record_.boxes.size() > boxesAtChoice_) {
            Step("the chooser: WLAN");
            SendMessageA(list, LB_SETCURSEL, kChosenConnection, 0);
            HWND ok = GetDlgItem(chooser, IDOK);
            PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
            boxesAtChoice_ = record_.boxes.size();
            reportsAtChoice_ = reports;
        }
    }

    // The reports the stand-ins have written so far.
    std::size_t Reports() const
    {
        const std::vector<std::string> journal = folder_.Journal();
        return static_cast<std::size_t>(std::count(journal.begin(), journal.end(), std::string(kReportCommand)));
    }

    // The main window, usable, asking nothing, and done with what it was
    // asked before (a command runs inside the message that started it).
    bool Idle() const
    {
        if (!form_ || !Visible(form_) || !Enabled(form_) || !VisibleDialogs(program_.Id()).empty()
            || !Responds(form_, 10s))
            return false;
        // Looked at again once it has answered: a box it was about to show
        // when it was asked is up by then.
        return Enabled(form_) && VisibleDialogs(program_.Id()).empty() && !FindTopWindow(program_.Id(), "TForm2")
            && !FindTopWindow(program_.Id(), "#32768");
    }

    std::string Status() const { return Text(MainWindow(form_).statusBar); }

    // Clicks a button of the main window as a click does: its parent is told.
    void Click(HWND button)
    {
        Step("click on " + Text(button));
        PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
            reinterpret_cast<LPARAM>(button));
    }

    // A command's file dialog, or nothing when the command ended without one.
    HWND FileDialog(int command, const char* title, Result& result)
    {
        const std::size_t boxesBefore = record_.boxes.size();
        PostCommand(form_, command);
        HWND dialog = nullptr;
        result = Until(
            [&] {
                dialog = FindTopWindow(program_.Id(), "#32770", title);
                return (dialog && IsFileDialog(dialog)) || (record_.boxes.size() > boxesBefore && Idle());
            },
            20s, std::string("the dialog \"") + title + "\" opened");
        if (result == Result::Done && !(dialog && IsFileDialog(dialog))) {
            problem_ = std::string("the dialog \"") + title + "\" did not open";
            result = Result::NotDone;
        }
        return result == Result::Done ? dialog : nullptr;
    }

    // Puts the name into the dialog and presses its OK button; the save
    // dialog's question whether to replace the file is answered yes.
    Result ChooseInDialog(HWND dialog, const std::string& path)
    {
        Step("choosing " + path);
        HWND edit = FileNameEdit(dialog);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        HWND ok = nullptr;
        for (HWND child : Children(dialog)) {
            if (GetDlgCtrlID(child) == IDOK && ClassName(child) == "Button")
                ok = child;
        }
        PostMessageA(ok, BM_CLICK, 0, 0);
        return Until([&] { return !IsWindow(dialog) || !Visible(dialog); }, 20s, "the file dialog closed");
    }

    // ---- The phases

    Result Start()
    {
        if (!program_.Running()) {
            std::map<std::string, std::string> environment;
            if (fault_)
                environment["TAMARKO_RECORDER_FAULT"] = fault_->Request();
            program_ = StartTamarko(folder_, "", environment);
        }
        return Until(
            [&] {
                form_ = FindTopWindow(program_.Id(), "TForm1", "Tamarko");
                return form_ && Idle() && Status() == kStateLegend;
            },
            30s, "the window was filled");
    }

    Result Apply()
    {
        const MainWindow window(form_);
        if (!Checked(window.manual))
            Click(window.manual);
        SetField(window.ip, kApplied.ip);
        SetField(window.mask, kApplied.mask);
        SetField(window.gateway, kApplied.gateway);
        SetField(window.dns, kApplied.dns);
        SetField(window.dns2, kApplied.dns2);
        if (!Checked(window.proxy))
            Click(window.proxy);
        SetField(window.proxyAddress, kApplied.proxyAddress);
        SetField(window.proxyPort, kApplied.proxyPort);
        Result result = Until(
            [&] {
                return Checked(window.manual) && Checked(window.proxy) && Text(window.ip) == kApplied.ip
                    && Text(window.proxyPort) == kApplied.proxyPort;
            },
            10s, "the fields took what was typed");
        if (result != Result::Done)
            return result;

        const std::size_t commandsBefore = folder_.Journal().size();
        Click(window.apply);
        result = Until(
            [&] {
                const std::string status = Status();
                return Idle() && Enabled(window.apply) && (status == kStateLegend || status == kStopped)
                    && folder_.Journal().size() > commandsBefore;
            },
            60s, "the apply ended");
        if (result != Result::Done)
            return result;
        const std::vector<std::string> journal = folder_.Journal();
        if (Status() != kStateLegend || journal.back() != kReportCommand || ReadProxy() != kNewProxy) {
            problem_ = "the apply did not end with the state read back and the proxy set";
            return Result::NotDone;
        }
        return Result::Done;
    }

    Result SaveOver()
    {
        Result result;
        HWND dialog = FileDialog(cmSave, kSaveTitle, result);
        if (!dialog)
            return result;
        result = ChooseInDialog(dialog, files_.settingsFile);
        if (result == Result::Done)
            result = Until([&] { return Idle(); }, 20s, "the save ended");
        if (result != Result::Done)
            return result;
        const std::string saved = ReadFileBytes(files_.settingsFile);
        if (saved.find("IP=" + kApplied.ip + "\r\n") == std::string::npos
            || saved.find("proxyPort=" + kApplied.proxyPort + "\r\n") == std::string::npos) {
            problem_ = "the settings file does not hold the fields";
            return Result::NotDone;
        }
        return Result::Done;
    }

    // What the fields show, in the settings file's order.
    std::vector<std::string> FieldsShown() const
    {
        const MainWindow window(form_);
        return {Text(window.ip), Text(window.mask), Text(window.gateway), Text(window.dns), Text(window.dns2),
            Checked(window.manual) ? "1" : "0", Checked(window.automatic) ? "1" : "0",
            Checked(window.proxy) ? "1" : "0", Text(window.proxyAddress), Text(window.proxyPort)};
    }

    // The user changes two fields, then loads the saved file: the fields
    // show the file after a load that succeeds, and still what the user had
    // after one that could not read it.
    Result Load()
    {
        const MainWindow window(form_);
        SetField(window.ip, "1.2.3.4");
        SetField(window.proxyAddress, "jiny.proxy.cz");
        std::vector<std::string> typed = FieldsShown();
        std::vector<std::string> loaded = typed;
        loaded[0] = kApplied.ip;
        loaded[8] = kApplied.proxyAddress;
        const std::size_t boxesBefore = record_.boxes.size();
        Result result;
        HWND dialog = FileDialog(cmOpen, kOpenTitle, result);
        if (!dialog)
            return result;
        result = ChooseInDialog(dialog, files_.settingsFile);
        if (result != Result::Done)
            return result;
        result = Until([&] { return Idle() && (FieldsShown() == loaded || record_.boxes.size() > boxesBefore); }, 20s,
            "the settings file was loaded");
        if (result != Result::Done)
            return result;
        const std::vector<std::string> shown = FieldsShown();
        if (shown == loaded)
            return Result::Done;
        if (shown != typed)
            record_.fields.push_back("after a load that failed, the fields hold neither what the user had nor the "
                                     "file's values: IP \""
                + shown[0] + "\", proxy \"" + shown[8] + "\"");
        problem_ = "the settings file was not loaded";
        return Result::NotDone;
    }

    Result AboutBox()
    {
        const std::size_t boxesBefore = record_.boxes.size();
        PostCommand(form_, cmAbout);
        HWND about = nullptr;
        Result result = Until(
            [&] {
                about = FindTopWindow(program_.Id(), "TAutor");
                return about || (record_.boxes.size() > boxesBefore && Idle());
            },
            20s, "the about box opened");
        if (result != Result::Done)
            return result;
        if (!about) {
            problem_ = "the about box did not open";
            return Result::NotDone;
        }
        Step("the about box's close box");
        PostMessageA(about, WM_CLOSE, 0, 0);
        return Until([&] { return !IsWindow(about) && Idle(); }, 20s, "the about box closed");
    }

    // Into the notification area and back. Without an icon there (the shell
    // refused it) the window stays on the taskbar and comes back from it;
    // the icon is asked for again until it is there, and from then on the
    // window goes to the notification area as it should.
    Result TrayAndBack()
    {
        Result result = Minimise();
        if (result != Result::Done)
            return result;
        if (Visible(form_)) {
            Step("the taskbar button");
            PostMessageA(form_, WM_SYSCOMMAND, SC_RESTORE, 0);
            result = Until([&] { return Visible(form_) && !IsIconic(form_) && Idle(); }, 20s, "the window came back");
            if (result == Result::Done)
                result = Until([&] { return TrayHoldsIcon(form_); }, 10s, "the refused icon came back");
            if (result == Result::Done)
                result = Minimise();
            if (result != Result::Done)
                return result;
            if (Visible(form_)) {
                problem_ = "with its icon back, the window still minimised to the taskbar";
                return Result::NotDone;
            }
        }
        result = Until([&] { return TrayHoldsIcon(form_); }, 20s, "an icon in the notification area");
        if (result != Result::Done) {
            record_.hung = true;
            record_.ending = "left hidden with no icon in the notification area and no taskbar button";
            return Result::Over;
        }
        Step("double click on the tray icon");
        PostMessageA(form_, kTrayCallback, 1, WM_LBUTTONDBLCLK);
        return Until([&] { return Visible(form_) && !IsIconic(form_) && Idle(); }, 20s, "the window came back");
    }

    // Judged once the program has handled the command whole: it hides the
    // window after minimising it.
    Result Minimise()
    {
        Step("minimise");
        PostMessageA(form_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return Until([&] { return (!Visible(form_) || IsIconic(form_)) && Responds(form_, 10s); }, 20s,
            "the window was minimised");
    }

    HWND QuickButton() const { return FindControl(MainWindow(form_).toolBar, 88, 2); }

    Result Bind()
    {
        Result result;
        HWND dialog = FileDialog(QuickSlotCommand(0, qiBind), kOpenTitle, result);
        if (!dialog)
            return result;
        result = ChooseInDialog(dialog, files_.settingsFile);
        if (result != Result::Done)
            return result;
        return Until([&] { return Idle() && Text(QuickButton()) == QuickButtonName(0, "profil"); }, 20s, "the quick button was bound");
    }

    Result MakeShortcut()
    {
        const std::size_t boxesBefore = record_.boxes.size();
        PostCommand(form_, QuickSlotCommand(0, qiShortcut));
        Result result
            = Until([&] { return Idle() && (FileExists(files_.shortcut) || record_.boxes.size() > boxesBefore); }, 20s,
                "the shortcut was made");
        if (result != Result::Done)
            return result;
        const auto link = ReadShortcut(files_.shortcut);
        if (!link || link->arguments != "\"" + files_.settingsFile + "\"") {
            problem_ = "no shortcut on the desktop";
            return Result::NotDone;
        }
        return Result::Done;
    }

    Result Close()
    {
        const std::size_t boxesBefore = record_.boxes.size();
        PostCommand(form_, cmClose);
        const Result result
            = Until([&] { return record_.boxes.size() > boxesBefore && Idle(); }, 20s, "the program closed");
        if (result == Result::Done) {
            problem_ = "the window stayed open";
            return Result::NotDone;
        }
        if (result == Result::Over && record_.ending == "ended while the program closed") {
            // The end the session asked for.
            record_.ended = false;
            record_.ending.clear();
            return Result::Done;
        }
        return result;
    }

    const ProgramFolder& folder_;
    const SessionFiles& files_;
    const std::optional<Fault>& fault_;
    const FileCheck& checkFiles_;
    Process program_;
    HWND form_ = nullptr;
    SessionRecord record_;
    std::string problem_;
    std::set<std::string> filesSeen_;
    std::size_t boxesAtChoice_ = 0;
    std::size_t reportsAtChoice_ = 0;
};

}  // namespace

ProxyPair ReadProxy()
{
    ProxyPair pair;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return pair;
    DWORD enable = 0, size = sizeof enable, type = 0;
    if (RegQueryValueExA(key, "ProxyEnable", nullptr, &type, reinterpret_cast<BYTE*>(&enable), &size) == ERROR_SUCCESS)
        pair.enable = static_cast<long>(enable);
    char server[1024] = {};
    size = sizeof server - 1;
    if (RegQueryValueExA(key, "ProxyServer", nullptr, &type, reinterpret_cast<BYTE*>(server), &size) == ERROR_SUCCESS)
        pair.server = server;
    RegCloseKey(key);
    return pair;
}

void PrepareSession(const ProgramFolder& folder, const SessionFiles& files)
{
    folder.WriteNetsimState(NetsimState(
        {{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"}, DhcpConnection("WLAN")}));
    WriteFileBytes(files.settingsFile, kOldSettingsFile);
    WriteFileBytes(files.programIni, kOldProgramIni);
    DeleteFileA(files.shortcut.c_str());
    const int enable = static_cast<int>(kOldProxy.enable);
    WriteProxyValues(&enable, kOldProxy.server.c_str());
}

SessionRecord RunSession(const ProgramFolder& folder, const SessionFiles& files, const std::optional<Fault>& fault,
    const FileCheck& checkFiles)
{
    return Session(folder, files, fault, checkFiles).Run();
}

}  // namespace faults
