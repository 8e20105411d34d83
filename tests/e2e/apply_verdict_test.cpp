// An apply the user can trust: only the program's own folder's and the
// system's tools run, addresses reach netsh as the numbers meant, questions
// come before anything runs, and what is said afterwards comes from what the
// system then has, not from exit codes.
#include "tests/e2e/apply_steps.h"

using namespace e2e;

namespace {

const std::string kCheckCable = "\r\n\r\nZkontrolujte, zda je připojen kabel a zda server DHCP v síti běží.";
const std::string kClosing = "\r\n\r\nV polích zůstaly hodnoty, které jste zadali; ty, které se liší od aktuálního "
                             "stavu, se nepodařilo nastavit.";
const char kNotTakenStatus[] = "Ne vše se podařilo; pole ukazují zadané hodnoty.";

// A report of one static connection "LAN" at 192.168.1.10, in code page 852
// with each value at the column its keyword calls for.
const NetConnection kPlainLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", ""};

std::string FixedReport()
{
    const auto line = [](const std::string& label, std::size_t column, const std::string& value) {
        return label + std::string(column - 1 - label.size(), ' ') + value + "\r\n";
    };
    return "\r\nKonfigurace rozhran\xA1 \"LAN\"\r\n" + line("    Povolen server DHCP:", 50, "No")
        + line("    Adresa IP:", 42, "192.168.1.10") + line("    Maska pods\xA1t\xD8:", 45, "255.255.255.0")
        + line("    V\xEC"
               "choz\xA1 br\xA0na:",
            41, "192.168.1.1");
}

// The stand-ins in the system folder in place of Wine's own netsh.exe and
// ipconfig.exe, with a machine of their own; Wine's are put back at the end,
// whatever happens.
class SystemStandIns {
public:
    explicit SystemStandIns(const std::string& utf8State)
    {
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, sizeof system);
        folder_ = system;
        inPlace_ = true;
        for (const char* tool : {"netsh.exe", "ipconfig.exe"}) {
            const std::string path = folder_ + "\\" + tool;
            // Left in place by a run that did not get to put Wine's back.
            if (!FileExists(path + ".wine"))
                inPlace_ = MoveFileA(path.c_str(), (path + ".wine").c_str()) && inPlace_;
            DeleteFileA(path.c_str());
            inPlace_ = CopyFileA((ShipDir() + "\\" + tool).c_str(), path.c_str(), FALSE) && inPlace_;
        }
        WriteFileBytes(folder_ + "\\netsim-state.txt", utf8State);
        DeleteFileA((folder_ + "\\netsim-journal.txt").c_str());
    }
    ~SystemStandIns()
    {
        KillProcessesNamed("netsh.exe");
        KillProcessesNamed("ipconfig.exe");
        for (const char* tool : {"netsh.exe", "ipconfig.exe"}) {
            const std::string path = folder_ + "\\" + tool;
            if (FileExists(path + ".wine")) {
                DeleteFileA(path.c_str());
                MoveFileA((path + ".wine").c_str(), path.c_str());
            }
        }
        DeleteFileA((folder_ + "\\netsim-state.txt").c_str());
        DeleteFileA((folder_ + "\\netsim-journal.txt").c_str());
    }
    SystemStandIns(const SystemStandIns&) = delete;
    SystemStandIns& operator=(const SystemStandIns&) = delete;
    bool InPlace() const { return inPlace_; }
    std::vector<std::string> Journal() const { return NetsimJournal(folder_); }

private:
    std::string folder_;
    bool inPlace_ = false;
};

}  // namespace

// Routine errors while the connection is exactly as asked are no failure;
// a setting that did not take is said, with its command's exit code when it
// had one, and the fields then keep what the user typed.
TEST_F(TamarkoTest, TheVerdictComesFromWhatTheSystemThenHasNotFromExitCodes)
{
    const std::string reportFile = folder.File("fixed-report.txt");
    WriteFileBytes(reportFile, FixedReport());
    const std::string fixedReport = "report_file = " + reportFile + "\r\n";
    const std::string notTaken = "Nastavení se nepodařilo provést:\r\n\r\nIP adresa: zadáno „192.168.1.20“, systém má "
                                 "„192.168.1.10“";
    const std::string staticAddress = Netsh("set address", "static 192.168.1.20 255.255.255.0 192.168.1.1 1");
    const std::string lanAddress
        = "netsh interface ip set address \"LAN\" static 192.168.1.20 255.255.255.0 192.168.1.1 1";
    const std::string lanNoDns = "netsh interface ip set dns \"LAN\" static none";
    const struct {
        const char* what;
        std::string state;
        bool automatic;
        const char *ip, *dns, *dns2;
        std::vector<std::string> commands;  // between the two reports
        std::string box;                    // empty: nothing said, the system's state shown
    } cases[] = {
        {"switched to DHCP where it is on already: netsh ends with 1", NetsimState({DhcpConnection(kName)}, kLeasePool),
            true, "", "", "", {Netsh("set address", "dhcp"), Netsh("set dns", "dhcp"), kRelease, kRenew}, ""},
        {"every command ends with 1 while everything took", NetsimState({kLan}, "exit_code = 1\r\n"), false,
            "192.168.1.20", "192.168.1.1", "8.8.8.8",
            {staticAddress, Netsh("set dns", "static 192.168.1.1"), Netsh("add dns", "8.8.8.8"), kRelease, kRenew}, ""},
        // Windows would read 010 as octal 8; netsh would split " 192 . 168".
        {"blanks and leading zeros reach netsh as the decimal numbers meant", NetsimState({kLan}), false,
            " 192 . 168 . 001 . 020", "192.168.001.010", "8.8.008.008",
            {staticAddress, Netsh("set dns", "static 192.168.1.10"), Netsh("add dns", "8.8.8.8"), kRelease, kRenew},
            ""},
        {"a connection netsh does not know: not taken, its exit code said", NetsimState({}, fixedReport), false,
            "192.168.1.20", "", "", {lanAddress, lanNoDns, kRelease, kRenew},
            notTaken + " (příkaz „" + lanAddress + "“ skončil s chybovým kódem 1)." + kClosing},
        {"every command ended well, but the system shows the old address", NetsimState({kPlainLan}, fixedReport), false,
            "192.168.1.20", "", "", {lanAddress, lanNoDns, kRelease, kRenew}, notTaken + "." + kClosing},
    };
    PlantProxy(nullptr, nullptr);
    for (const auto& c : cases) {
        folder.WriteNetsimState(c.state);
        folder.ClearJournal();
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr) << c.what;
        const MainWindow window(form);
        BringToFront(form);
        if (c.automatic) {
            ClickToState(window.automatic, true);
        } else {
            Retype(window.ip, c.ip);
            Retype(window.dns, c.dns);
            Retype(window.dns2, c.dns2);
        }
        ClickApply(window);

        std::vector<std::string> expected{kReportCommand};
        expected.insert(expected.end(), c.commands.begin(), c.commands.end());
        expected.push_back(kReportCommand);
        if (c.box.empty()) {
            ASSERT_TRUE(WaitForApplyEnd(window, folder, expected.size())) << c.what;
            EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms)) << c.what << ": nothing to say";
            EXPECT_EQ(folder.Journal(), expected) << c.what;
            if (!c.automatic) {
                EXPECT_EQ(Text(window.ip), "192.168.1.20") << c.what << ": the system's form";
                EXPECT_EQ(Text(window.dns2), "8.8.8.8") << c.what;
            }
            ExpectShowsTheSystem(window);
        } else {
            EXPECT_EQ(ConfirmMessages(program.Id(), 1), std::vector<std::string>{c.box}) << c.what;
            EXPECT_EQ(folder.Journal(), expected) << c.what << ": every step ran, and the state was read back";
            EXPECT_TRUE(Enabled(form) && Enabled(window.apply)) << c.what;
            EXPECT_EQ(Text(window.statusBar), kNotTakenStatus) << c.what;
            EXPECT_EQ(Text(window.ip), c.ip) << c.what << ": what the user typed";
            EXPECT_TRUE(window.PaintedIn(window.ip, WindowColour())) << c.what << ": differs from the system";
            EXPECT_TRUE(window.PaintedIn(window.mask, kLime)) << c.what << ": what took agrees";
        }
        CloseAndWait(form);
    }
}

// A DHCP server that does not answer leaves the address Windows gives
// itself: the mode took, and the user hears that the address did not come.
TEST_F(TamarkoTest, DhcpThatGivesNoAddressIsSaid)
{
    folder.WriteNetsimState(NetsimState({kLan}, "dhcp_server = no\r\n"));
    PlantProxy(nullptr, nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    BringToFront(form);
    ClickToState(window.automatic, true);
    ClickApply(window);
    EXPECT_EQ(ConfirmMessages(program.Id(), 1),
        std::vector<std::string>{"Připojení „" + std::string(kName)
            + "“ nedostalo adresu od serveru DHCP (adresu 169.254.1.7 si Windows přidělil samy)." + kCheckCable});
    ASSERT_TRUE(WaitForApplyEnd(window, folder, 6));
    EXPECT_EQ(Text(window.ip), "169.254.1.7");
    ExpectShowsTheSystem(window);
    CloseAndWait(form);
}

// It runs as an administrator: a netsh.exe or ipconfig.exe in the current
// folder (a download folder, a share) never runs, neither from the folder it
// was started from nor after the save dialog went into such a folder. Here
// the program stands alone in its folder, so the system's tools answer: the
// stand-ins take their place for the test.
TEST_F(TamarkoTest, OnlyTheProgramsOwnAndTheSystemsToolsRun)
{
    const SystemStandIns system(NetsimState({kLan}));
    ASSERT_TRUE(system.InPlace());
    PlantProxy(nullptr, nullptr);
    folder.WriteNetsimState(NetsimState({kLan}));  // the planted ones in the current folder
    const std::string alone = folder.File("alone");
    ASSERT_TRUE(CreateDirectoryA(alone.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(folder.File("tamarko.exe").c_str(), (alone + "\\tamarko.exe").c_str(), TRUE));
    const std::string downloads = folder.File("stazene");
    ASSERT_TRUE(CreateDirectoryA(downloads.c_str(), nullptr));
    for (const char* tool : {"netsh.exe", "ipconfig.exe"})
        ASSERT_TRUE(CopyFileA(folder.File(tool).c_str(), (downloads + "\\" + tool).c_str(), TRUE));
    WriteFileBytes(downloads + "\\netsim-state.txt", NetsimState({kLan}));

    program = Process(alone + "\\tamarko.exe", "", folder.Path(), {}, Recording::On);
    HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));
    EXPECT_EQ(system.Journal(), std::vector<std::string>{kReportCommand}) << "the system's netsh reported";

    PostCommand(form, cmSave);
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", "Uložit nastavení sítě");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, downloads + "\\doma"));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(downloads + "\\doma.dat"); }));
    BringToFront(form);
    Retype(window.ip, "192.168.1.20");
    ClickApply(window);
    ASSERT_TRUE(WaitUntil([&] { return system.Journal().size() == 7 && Enabled(window.apply); }));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    EXPECT_TRUE(folder.Journal().empty()) << "a tool of the folder it was started from ran";
    EXPECT_FALSE(FileExists(downloads + "\\netsim-journal.txt")) << "a tool of the folder saved into ran";
    CloseAndWait(form);
}

// What Windows' own dialog asks before it applies manual addresses: No (the
// default, so Enter) runs nothing and hands the keyboard to the field; Yes
// goes on.
TEST_F(TamarkoTest, DoubtfulAddressesAreAskedAboutBeforeAnythingRuns)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    PlantProxy(nullptr, nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    BringToFront(form);
    Retype(window.gateway, "10.0.0.1");
    const std::string question = "Brána 10.0.0.1 neleží v podsíti IP adresy 192.168.1.10 s maskou 255.255.255.0."
                                 "\r\n\r\nChcete přesto pokračovat?";

    ClickApply(window);
    auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, question);
    BringToFront(box->window);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->window); }));
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(form) == window.gateway; })) << "the keyboard in the gateway";
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    EXPECT_EQ(folder.Journal(), std::vector<std::string>{kReportCommand}) << "nothing ran";

    ClickApply(window);
    box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, question);
    PressButton(box->window, IDYES);
    ASSERT_TRUE(WaitForApplyEnd(window, folder, 7));
    EXPECT_EQ(folder.Journal()[1], Netsh("set address", "static 192.168.1.10 255.255.255.0 10.0.0.1 1"));
    CloseAndWait(form);
}

// A switch the check box cannot show (a string) and a server of another type
// are said once, at the start; an apply that changes neither leaves both
// exactly as they were, and the read-back's chooser closes on its first OK.
TEST_F(TamarkoTest, ProxyValuesOfAnotherTypeAreSaidOnceAndKept)
{
    folder.WriteNetsimState(NetsimState({kLan, DhcpConnection("WLAN")}, kLeasePool));
    PlantProxy(nullptr, nullptr);
    const std::string enableText("1\0", 2);
    const DWORD serverNumber = 5;
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "ProxyEnable", 0, REG_SZ, reinterpret_cast<const BYTE*>(enableText.data()), 2);
    RegSetValueExA(key, "ProxyServer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&serverNumber), 4);
    RegCloseKey(key);

    HWND form = Start();
    ASSERT_NE(form, nullptr);
    HWND chooser = WaitForChooserAsking(program.Id());
    ASSERT_NE(chooser, nullptr);
    BringToFront(chooser);
    ASSERT_TRUE(ClickSurely(FindControl(chooser, 0, 32), 40, 6));
    PressKey(VK_RETURN);
    EXPECT_EQ(ConfirmMessages(program.Id(), 2),
        (std::vector<std::string>{"Hodnota „ProxyEnable“ v registru má neplatný datový typ.",
            "Hodnota „ProxyServer“ v registru má neplatný datový typ."}));
    ASSERT_TRUE(WaitUntil([&] { return !Visible(chooser); }));
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }));
    EXPECT_FALSE(Checked(window.proxy));
    BringToFront(form);
    Retype(window.ip, "192.168.1.20");
    ClickApply(window);
    ASSERT_TRUE(WaitUntil([&] { return Visible(chooser) && Enabled(chooser); }));
    Choose(chooser, 0);
    EXPECT_TRUE(WaitForApplyEnd(window, folder, 7));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms)) << "said once, at the start";
    const auto enable = ReadProxyValue("ProxyEnable");
    ASSERT_TRUE(enable.has_value());
    EXPECT_EQ(enable->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(enable->bytes, enableText) << "the user's proxy stays on";
    const auto server = ReadProxyValue("ProxyServer");
    ASSERT_TRUE(server.has_value());
    EXPECT_EQ(server->type, static_cast<DWORD>(REG_DWORD));

    // The box changed: the switch is written as the box says.
    ClickToState(window.proxy, true);
    Retype(window.proxyAddress, "10.1.1.1");
    Retype(window.proxyPort, "3128");
    ClickApply(window);
    ASSERT_TRUE(WaitUntil([&] { return Visible(chooser) && Enabled(chooser); }));
    Choose(chooser, 0);
    EXPECT_TRUE(WaitForApplyEnd(window, folder, 13));
    ExpectProxyWritten(1, "10.1.1.1:3128");
    CloseAndWait(form);
    PlantProxy(nullptr, nullptr);
}
