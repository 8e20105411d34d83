// The apply button: the fields are checked, the commands run one after
// another with the window locked, the proxy values are written, and the
// window shows what the system then has.
#include "tests/e2e/apply_steps.h"

#include <thread>

using namespace e2e;

namespace {

const COLORREF kScribble = RGB(255, 0, 0);

// Paints a small square around a point of a window straight onto the screen,
// as if something else had drawn there.
void Scribble(HWND window, POINT at)
{
    POINT screen = at;
    ClientToScreen(window, &screen);
    const RECT square{screen.x - 3, screen.y - 3, screen.x + 4, screen.y + 4};
    HDC dc = GetDC(nullptr);
    HBRUSH brush = CreateSolidBrush(kScribble);
    FillRect(dc, &square, brush);
    DeleteObject(brush);
    ReleaseDC(nullptr, dc);
}

// Wine's own netsh.exe, which the search for a program would find once the
// one beside Tamarko is gone; put back at the end, whatever happens.
class HiddenSystemNetsh {
public:
    HiddenSystemNetsh()
    {
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, sizeof system);
        path_ = std::string(system) + "\\netsh.exe";
        // Left hidden by a run that did not get to put it back.
        hidden_ = !FileExists(path_) && FileExists(path_ + ".hidden");
        if (!hidden_)
            hidden_ = MoveFileA(path_.c_str(), (path_ + ".hidden").c_str()) != FALSE;
    }
    ~HiddenSystemNetsh()
    {
        if (hidden_)
            MoveFileA((path_ + ".hidden").c_str(), path_.c_str());
    }
    HiddenSystemNetsh(const HiddenSystemNetsh&) = delete;
    HiddenSystemNetsh& operator=(const HiddenSystemNetsh&) = delete;
    bool Gone() const { return !FileExists(path_); }

private:
    std::string path_;
    bool hidden_ = false;
};

}  // namespace

TEST_F(TamarkoTest, InvalidFieldsAreReportedInOrderAndNothingRuns)
{
    const std::string digits4000(4000, '1');
    const struct {
        const char* what;
        const char *ip, *mask, *gateway, *dns, *dns2, *proxyAddress;
        bool proxyOn;
        std::vector<std::string> messages;
    } cases[] = {
        {"empty address and mask", "", "", "192.168.1.1", "192.168.1.1", "8.8.8.8", "", false, {kBadIp, kBadMask}},
        {"letters, none, 4,000 digits, a blank, three parts, no proxy address", "abc.def.ghi.jkl", "none",
            digits4000.c_str(), " ", "10.0.0", "", true, {kBadIp, kBadMask, kBadGateway, kBadDns, kBadDns2, kBadProxy}},
        {"the same with the proxy off", "abc.def.ghi.jkl", "none", digits4000.c_str(), " ", "10.0.0", "", false,
            {kBadIp, kBadMask, kBadGateway, kBadDns, kBadDns2}},
        {"a proxy given by name", "192.168.1.10", "255.255.255.0", "", "", "", "proxy.example.com", true, {kBadProxy}},
        {"the same with the proxy off: valid", "192.168.1.10", "255.255.255.0", "", "", "", "proxy.example.com", false,
            {}},
    };
    folder.WriteNetsimState(NetsimState({kLan}));
    PlantProxy(nullptr, nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    BringToFront(form);
    for (const auto& c : cases) {
        if (Text(window.proxyAddress) != c.proxyAddress) {
            ClickToState(window.proxy, true);
            Retype(window.proxyAddress, c.proxyAddress);
        }
        ClickToState(window.proxy, c.proxyOn);
        Retype(window.ip, c.ip);
        Retype(window.mask, c.mask);
        Retype(window.gateway, c.gateway);
        Retype(window.dns, c.dns);
        Retype(window.dns2, c.dns2);
        if (c.messages.empty())
            break;  // the last row: a valid apply, checked below
        ClickApply(window);
        EXPECT_EQ(ConfirmMessages(program.Id(), c.messages.size()), c.messages) << c.what;
        EXPECT_EQ(folder.Journal(), std::vector<std::string>{kReportCommand}) << c.what << ": nothing may run";
        EXPECT_TRUE(Enabled(form)) << c.what;
        EXPECT_TRUE(Enabled(window.apply)) << c.what;
        EXPECT_FALSE(ReadProxyValue("ProxyEnable").has_value()) << c.what << ": nothing is written";
        BringToFront(form);
    }
    // With the box cleared the proxy address is not checked at all.
    ClickApply(window);
    EXPECT_TRUE(WaitForApplyEnd(window, folder, 6));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    ExpectProxyWritten(0, "proxy.example.com:");
    CloseAndWait(form);
    PlantProxy(nullptr, nullptr);
}

TEST_F(TamarkoTest, ManualSettingsRunInOrderAndTheWindowShowsTheResult)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    PlantProxy(nullptr, nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    BringToFront(form);
    Retype(window.ip, "192.168.5.20");
    Retype(window.mask, "255.255.0.0");
    Retype(window.gateway, "192.168.5.1");
    Retype(window.dns, "192.168.5.2");
    Retype(window.dns2, "8.8.4.4");
    ClickToState(window.proxy, true);
    Retype(window.proxyAddress, "10.1.1.1");
    Retype(window.proxyPort, "3128");
    ClickApply(window);

    const std::vector<std::string> expected = {
        kReportCommand,
        Netsh("set address", "static 192.168.5.20 255.255.0.0 192.168.5.1 1"),
        Netsh("set dns", "static 192.168.5.2"),
        Netsh("add dns", "8.8.4.4"),
        kRelease,
        kRenew,
        kReportCommand,
    };
    ASSERT_TRUE(WaitForApplyEnd(window, folder, expected.size())) << Text(window.statusBar);
    EXPECT_EQ(folder.Journal(), expected);
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    ExpectProxyWritten(1, "10.1.1.1:3128");

    EXPECT_EQ(Text(window.ip), "192.168.5.20");
    EXPECT_EQ(Text(window.mask), "255.255.0.0");
    EXPECT_EQ(Text(window.gateway), "192.168.5.1");
    EXPECT_EQ(Text(window.dns), "192.168.5.2");
    EXPECT_EQ(Text(window.dns2), "8.8.4.4");
    EXPECT_TRUE(Checked(window.manual));
    EXPECT_TRUE(Checked(window.proxy));
    EXPECT_EQ(Text(window.proxyAddress), "10.1.1.1");
    EXPECT_EQ(Text(window.proxyPort), "3128");
    ExpectShowsTheSystem(window);
    CloseAndWait(form);
    PlantProxy(nullptr, nullptr);
}

TEST_F(TamarkoTest, AutomaticAddressingChecksNothingAndAsksForLeases)
{
    folder.WriteNetsimState(NetsimState({kLan}, kLeasePool));
    PlantProxy(nullptr, nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    BringToFront(form);
    // Left in the fields, but automatic addressing checks none of them.
    Retype(window.ip, "nonsense");
    ClickToState(window.proxy, true);
    Retype(window.proxyAddress, "not an address");
    Retype(window.proxyPort, "8080");
    ClickToState(window.automatic, true);
    ClickApply(window);

    const std::vector<std::string> expected = {
        kReportCommand,
        Netsh("set address", "dhcp"),
        Netsh("set dns", "dhcp"),
        kRelease,
        kRenew,
        kReportCommand,
    };
    ASSERT_TRUE(WaitForApplyEnd(window, folder, expected.size())) << Text(window.statusBar);
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    EXPECT_EQ(folder.Journal(), expected);
    ExpectProxyWritten(1, "not an address:8080");

    EXPECT_TRUE(Checked(window.automatic));
    EXPECT_FALSE(Checked(window.manual));
    EXPECT_EQ(Text(window.ip), "10.0.0.100") << "the lease";
    for (HWND field : {window.ip, window.mask, window.gateway, window.dns, window.dns2})
        EXPECT_FALSE(Enabled(field));
    ExpectShowsTheSystem(window);
    CloseAndWait(form);
    PlantProxy(nullptr, nullptr);
}

// Real machines hold proxy values that "address:port" fields cannot show: a
// list per protocol, a host without a port, a value of another type. An
// apply that leaves the proxy fields alone leaves the value as it was, byte
// for byte, and does not refuse it; what the user changes is written.
TEST_F(TamarkoTest, AProxyValueTheFieldsCannotShowStaysUntilTheUserChangesIt)
{
    const DWORD dword = 5;
    const std::string list = "http=proxy.cz:3128;https=secure.cz:8443;ftp=ftp.cz:21";
    const std::string host = "proxy.firma.cz";
    const struct {
        const char* what;
        DWORD type;
        std::string bytes;  // as planted, terminator included
        bool automatic;     // the apply switches to automatic, else changes the address
        const char* box;    // what the read says first, if anything
    } cases[] = {
        {"a list per protocol, address changed", REG_SZ, list + '\0', false, nullptr},
        {"a host without a port, switched to automatic", REG_SZ, host + '\0', true, nullptr},
        {"a value of another type, address changed", REG_DWORD, std::string(reinterpret_cast<const char*>(&dword), 4),
            false, "Hodnota „ProxyServer“ v registru má neplatný datový typ."},
    };
    for (const auto& c : cases) {
        folder.WriteNetsimState(NetsimState({kLan}, kLeasePool));
        folder.ClearJournal();
        const int on = 1;
        PlantProxy(&on, nullptr);
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        RegSetValueExA(key, "ProxyServer", 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
            static_cast<DWORD>(c.bytes.size()));
        RegCloseKey(key);

        program = StartTamarko(folder);
        HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
        ASSERT_NE(form, nullptr) << c.what;
        if (c.box) {
            EXPECT_EQ(ConfirmMessages(program.Id(), 1), std::vector<std::string>{c.box}) << c.what;
        }
        const MainWindow window(form);
        ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); })) << c.what;
        ASSERT_TRUE(Checked(window.proxy)) << c.what;
        BringToFront(form);
        if (c.automatic)
            ClickToState(window.automatic, true);
        else
            Retype(window.ip, "192.168.1.20");
        ClickApply(window);
        EXPECT_TRUE(WaitForApplyEnd(window, folder, c.automatic ? 6 : 7)) << c.what;
        EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms)) << c.what << ": nothing refused, the type said once";
        const auto server = ReadProxyValue("ProxyServer");
        ASSERT_TRUE(server.has_value()) << c.what;
        EXPECT_EQ(server->type, c.type) << c.what;
        EXPECT_EQ(server->bytes, c.bytes) << c.what << ": the value keeps its bytes";
        const auto enable = ReadProxyValue("ProxyEnable");
        ASSERT_TRUE(enable.has_value()) << c.what;
        EXPECT_EQ(enable->bytes, std::string("\1\0\0\0", 4)) << c.what << ": the switch is written as it stands";
        CloseAndWait(form);
    }

    // What the user changes is written as the fields say; the address as it
    // was read is not checked.
    const int on = 1;
    PlantProxy(&on, list.c_str());
    folder.ClearJournal();
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_EQ(Text(window.proxyAddress), "http=proxy.cz");
    ASSERT_EQ(Text(window.proxyPort), "3128;https");
    BringToFront(form);
    Retype(window.proxyPort, "8080");
    ClickApply(window);
    EXPECT_TRUE(WaitForApplyEnd(window, folder, 7));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    ExpectProxyWritten(1, "http=proxy.cz:8080");
    CloseAndWait(form);
    PlantProxy(nullptr, nullptr);
}

TEST_F(TamarkoTest, WithNeitherModeOnlyTheProxyIsWrittenAndTheLeasesRenewed)
{
    // Only a settings file can clear both radio buttons; named on the
    // command line it is loaded after every read of the state.
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string settings = folder.File("neither.dat");
    WriteFileBytes(settings, "[Nastavení]\r\nip=abc\r\nmaska=\r\nrucne=0\r\nauto=0\r\nproxy=0\r\n");
    const int on = 1;
    PlantProxy(&on, "old.example.com:1");
    HWND form = StartFilled("\"" + settings + "\"");
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.ip) == "abc"; }));
    ASSERT_FALSE(Checked(window.manual));
    ASSERT_FALSE(Checked(window.automatic));
    ASSERT_FALSE(Checked(window.proxy));
    BringToFront(form);
    ClickApply(window);

    const std::vector<std::string> expected = {kReportCommand, kRelease, kRenew, kReportCommand};
    ASSERT_TRUE(WaitUntil([&] { return folder.Journal().size() >= expected.size() && Enabled(form); }, 20s));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    EXPECT_EQ(folder.Journal(), expected);
    ExpectProxyWritten(0, ":");
    EXPECT_TRUE(Enabled(window.apply));
    // The file named on the command line is loaded again after the read.
    EXPECT_TRUE(WaitUntil([&] { return Text(window.ip) == "abc"; }, 20s)) << Text(window.ip);
    EXPECT_FALSE(Checked(window.manual));
    EXPECT_FALSE(Checked(window.automatic));
    CloseAndWait(form);
    PlantProxy(nullptr, nullptr);
}

TEST_F(TamarkoTest, WhileTheCommandsRunTheWindowIsLockedAndSaysWhatItDoes)
{
    folder.WriteNetsimState(NetsimState({kBare}));
    PlantProxy(nullptr, nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(window.PaintedIn(window.gateway, kLime)) << "an empty gateway agrees with the system";
    // From now on every command waits at the gate until the test has looked.
    folder.WriteNetsimState(NetsimState({kBare}, std::string("gate = ") + kGate + "\r\n"));
    BringToFront(form);
    Retype(window.dns2, "8.8.4.4");
    folder.ClearJournal();
    ClickApply(window);

    // The status while each command runs, and the fields then.
    const struct {
        const char* status;
        const char* gateway;
        const char* dns;
        bool gatewayAgrees, dnsAgrees;
    } steps[] = {
        {kStatusAddress, "none", "", false, true},  // DNS is filled in only when its turn comes
        {kStatusDns, "none", "none", false, false}, {kStatusRenew, "none", "none", false, false},  // release
        {kStatusRenew, "none", "none", false, false},                                              // renew
        {kStatusDone, "none", "none", false, false},  // the report of the read-back
    };
    // The proxy step writes the registry without waiting, so its text is
    // replaced before anyone could see it.
    std::size_t commands = 0;
    for (const auto& step : steps) {
        ++commands;
        ASSERT_TRUE(WaitUntil([&] { return folder.Journal().size() == commands; })) << "command " << commands;
        EXPECT_TRUE(WaitUntil([&] { return Text(window.statusBar) == step.status; })) << "command " << commands;
        EXPECT_FALSE(Enabled(form)) << step.status << ": the window is locked";
        EXPECT_FALSE(Enabled(window.apply)) << step.status << ": the button is locked";
        EXPECT_EQ(Text(window.gateway), step.gateway) << "command " << commands;
        EXPECT_EQ(Text(window.dns), step.dns) << "command " << commands;
        EXPECT_TRUE(window.PaintedIn(window.gateway, step.gatewayAgrees ? kLime : WindowColour()))
            << "command " << commands << ": none is not what the system has";
        EXPECT_TRUE(window.PaintedIn(window.dns, step.dnsAgrees ? kLime : WindowColour())) << "command " << commands;
        folder.OpenGate();
    }
    ASSERT_TRUE(WaitForApplyEnd(window, folder, commands));
    EXPECT_EQ(Text(window.statusBar), kStateLegend);

    EXPECT_EQ(folder.Journal(),
        (std::vector<std::string>{
            Netsh("set address", "static 10.8.0.2 255.255.255.252 none"),
            Netsh("set dns", "static none"),
            kRelease,
            kRenew,
            kReportCommand,
        }))
        << "no alternate server without a preferred one";
    EXPECT_EQ(Text(window.gateway), "");
    EXPECT_EQ(Text(window.dns), "");
    EXPECT_EQ(Text(window.dns2), "") << "the system took no alternate server";
    ExpectShowsTheSystem(window);
    CloseAndWait(form);
}

TEST_F(TamarkoTest, TheWindowAnswersAndRepaintsWhileACommandRuns)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string settings = folder.File("neither.dat");
    WriteFileBytes(settings, "[Nastavení]\r\nip=192.168.1.10\r\nrucne=0\r\nauto=0\r\n");
    PlantProxy(nullptr, nullptr);
    HWND form = StartFilled("\"" + settings + "\"");
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    // The release waits at the gate until the test opens it: every question
    // must be answered and the window painted while it waits.
    folder.WriteNetsimState(NetsimState({kLan}, std::string("gate = ") + kGate + "\r\n"));
    folder.ClearJournal();
    BringToFront(form);
    ClickApply(window);
    ASSERT_TRUE(WaitUntil([&] { return folder.Journal().size() == 1; })) << "the release did not start";
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStatusRenew; }));

    for (int probe = 0; probe < 5; ++probe) {
        char status[256] = {};
        DWORD_PTR length = 0;
        const bool answered = SendMessageTimeoutA(window.statusBar, WM_GETTEXT, sizeof status,
            reinterpret_cast<LPARAM>(status), SMTO_ABORTIFHUNG, 5000, &length);
        EXPECT_TRUE(answered) << "probe " << probe;
        EXPECT_EQ(std::string(status), kStatusRenew) << "probe " << probe;

        // Scribbled over on screen, then made invalid: the program has to
        // paint it again itself.
        const std::pair<HWND, POINT> spots[] = {{form, {295, 300}}, {window.statusBar, {295, 9}}};
        std::vector<COLORREF> original;
        for (const auto& [control, at] : spots)
            original.push_back(PixelAt(control, at.x, at.y));
        for (const auto& [control, at] : spots)
            Scribble(control, at);
        for (const auto& [control, at] : spots)
            ASSERT_EQ(PixelAt(control, at.x, at.y), kScribble) << "the scribble did not reach the screen";
        RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        EXPECT_TRUE(WaitUntil([&] {
            for (std::size_t i = 0; i < std::size(spots); ++i) {
                if (PixelAt(spots[i].first, spots[i].second.x, spots[i].second.y) != original[i])
                    return false;
            }
            return true;
        })) << "probe "
            << probe << ": not painted again";
    }
    EXPECT_EQ(folder.Journal().size(), 1u) << "all of it while the release was waiting";

    for (std::size_t waiting = 1; waiting <= 3; ++waiting) {
        ASSERT_TRUE(WaitUntil([&] { return folder.Journal().size() == waiting; })) << "command " << waiting;
        folder.OpenGate();
    }
    EXPECT_TRUE(WaitForApplyEnd(window, folder, 3));
    EXPECT_EQ(folder.Journal(), (std::vector<std::string>{kRelease, kRenew, kReportCommand}));
    CloseAndWait(form);
}

TEST_F(TamarkoTest, ACommandThatCannotStartEndsTheSequenceWithTheLaunchersMessage)
{
    // The gateway is left empty: the sequence writes none into it before
    // the first command, and a failure must give back what the user typed.
    const struct {
        const char* what;
        bool removeNetsh;
        std::string ip;
        std::string message;
    } cases[] = {
        {"netsh cannot be found", true, "192.168.1.20",
            "Program netsh nelze spustit (příkaz „" + Netsh("set address", "static 192.168.1.20 255.255.255.0 none")
                + "“): soubor nelze najít."},
    };
    for (const auto& c : cases) {
        folder.WriteNetsimState(NetsimState({kLan}));
        folder.ClearJournal();
        PlantProxy(nullptr, "before:1");
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr) << c.what;
        const MainWindow window(form);
        std::optional<HiddenSystemNetsh> hidden;
        if (c.removeNetsh) {
            hidden.emplace();
            ASSERT_TRUE(DeleteFileA(folder.File("netsh.exe").c_str()));
            ASSERT_TRUE(hidden->Gone()) << "the system's netsh.exe is still there";
        }
        BringToFront(form);
        Retype(window.ip, c.ip);
        Retype(window.gateway, "");

        // Twice: after the first failure the window takes the next try, with
        // the fields as typed and a status bar that no longer says to wait.
        for (int attempt = 1; attempt <= 2; ++attempt) {
            ClickApply(window);
            const auto box = WaitForMessageBox(program.Id());
            ASSERT_TRUE(box.has_value()) << c.what << ", attempt " << attempt;
            EXPECT_EQ(box->caption, "Tamarko");
            EXPECT_EQ(box->text, c.message) << c.what;
            PressButton(box->window);
            EXPECT_TRUE(NoMessageBoxFor(program.Id(), 500ms)) << c.what << ": the sequence ended there";
            EXPECT_TRUE(WaitUntil([&] { return Enabled(form) && Enabled(window.apply); }, 20s))
                << c.what << ": the window is usable again";
            EXPECT_EQ(Text(window.gateway), "") << c.what << ": the sequence's own none is gone";
            EXPECT_EQ(Text(window.statusBar), "Nastavení nebylo dokončeno.") << c.what;
            BringToFront(form);
        }
        EXPECT_EQ(folder.Journal(), std::vector<std::string>{kReportCommand}) << c.what;
        EXPECT_FALSE(ReadProxyValue("ProxyEnable").has_value()) << c.what << ": the later steps did not run";
        const auto server = ReadProxyValue("ProxyServer");
        EXPECT_EQ(server ? std::string(server->bytes.c_str()) : "(none)", "before:1") << c.what;
        EXPECT_EQ(Text(window.ip), c.ip);
        CloseAndWait(form);
        if (c.removeNetsh) {
            ASSERT_TRUE(CopyFileA((ShipDir() + "\\netsh.exe").c_str(), folder.File("netsh.exe").c_str(), FALSE));
        }
    }
    PlantProxy(nullptr, nullptr);
}

TEST_F(TamarkoTest, AskedToCloseDuringAnApplyItRunsNothingWithEmptiedFields)
{
    // A close request (WM_CLOSE, as taskkill sends it) that reaches the
    // window while a command runs. The command under way is waited for;
    // whatever runs after it may only be what the fields say.
    folder.WriteNetsimState(NetsimState({kLan}));
    const int on = 1;
    PlantProxy(&on, "10.1.1.1:3128");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    folder.WriteNetsimState(NetsimState({kLan}, "delay_ms = 800\r\n"));
    BringToFront(form);
    Retype(window.ip, "192.168.1.20");
    ClickApply(window);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStatusAddress; }, 20s));
    PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the program did not end";

    const std::vector<std::string> sequence = {
        kReportCommand,
        Netsh("set address", "static 192.168.1.20 255.255.255.0 192.168.1.1 1"),
        Netsh("set dns", "static 192.168.1.1"),
        Netsh("add dns", "8.8.8.8"),
        kRelease,
        kRenew,
        kReportCommand,
    };
    const std::vector<std::string> journal = folder.Journal();
    ASSERT_GE(journal.size(), 2u);
    ASSERT_LE(journal.size(), sequence.size());
    EXPECT_EQ(journal, std::vector<std::string>(sequence.begin(), sequence.begin() + journal.size()))
        << "only the apply's own commands, as the fields held them";
    // Written as the fields held them, or not at all.
    ExpectProxyWritten(1, "10.1.1.1:3128");
    PlantProxy(nullptr, nullptr);
}

// Two connections: the chooser asks at every read, here answered with the first.
class TwoConnections : public TamarkoTest {
protected:
    void StartWithTheFirstChosen()
    {
        folder.WriteNetsimState(NetsimState({kLan, DhcpConnection("WLAN")}, kLeasePool));
        PlantProxy(nullptr, nullptr);
        form = Start();
        ASSERT_NE(form, nullptr);
        chooser = WaitForChooserAsking(program.Id());
        ASSERT_NE(chooser, nullptr);
        Choose(chooser, 0);
        ASSERT_TRUE(WaitUntil([&] { return Text(MainWindow(form).statusBar) == kStateLegend; }));
        ASSERT_EQ(Text(MainWindow(form).connectionName), kName);
        BringToFront(form);
    }
    // The read-back's chooser once it asks: its report has run (the chooser
    // shows again before it starts it) and it can be answered.
    bool WaitForTheReadBackToAsk()
    {
        return WaitUntil(
            [&] {
                const std::vector<std::string> journal = folder.Journal();
                return journal.size() > 1 && journal.back() == kReportCommand && Visible(chooser) && Enabled(chooser);
            },
            20s);
    }
    HWND form = nullptr;
    HWND chooser = nullptr;
};

TEST_F(TwoConnections, TheReadBackAsksWhichOneToShow)
{
    ASSERT_NO_FATAL_FAILURE(StartWithTheFirstChosen());
    const MainWindow window(form);
    Retype(window.ip, "192.168.1.20");
    ClickApply(window);

    ASSERT_TRUE(WaitForTheReadBackToAsk()) << "no chooser after the commands";
    EXPECT_EQ(ListItems(FindControl(chooser, 0, 32)), (std::vector<std::string>{kName, "WLAN"}));
    EXPECT_FALSE(Enabled(form)) << "still locked while the user chooses";
    EXPECT_EQ(Text(window.statusBar), kStatusDone);
    Choose(chooser, 1);

    ASSERT_TRUE(WaitForApplyEnd(window, folder, 7));
    EXPECT_EQ(folder.Journal(),
        (std::vector<std::string>{
            kReportCommand,
            Netsh("set address", "static 192.168.1.20 255.255.255.0 192.168.1.1 1"),
            Netsh("set dns", "static 192.168.1.1"),
            Netsh("add dns", "8.8.8.8"),
            kRelease,
            kRenew,
            kReportCommand,
        }));
    EXPECT_EQ(Text(window.connectionName), "WLAN");
    EXPECT_TRUE(Checked(window.automatic));
    EXPECT_EQ(Text(window.ip), "10.0.0.101") << "the lease of the second connection";
    ExpectShowsTheSystem(window);
    CloseAndWait(form);
}

TEST_F(TwoConnections, EndingFromTheTrayWhileTheReadBackAsksEndsAtOnce)
{
    // The commands are done; only the choice of the read-back is open. The
    // tray's "Ukončit" must not wait for it.
    ASSERT_NO_FATAL_FAILURE(StartWithTheFirstChosen());
    const MainWindow window(form);
    ClickApply(window);
    ASSERT_TRUE(WaitForTheReadBackToAsk()) << "no chooser to answer";

    PostMessageA(form, WM_USER + 1, 1, WM_RBUTTONDOWN);
    ASSERT_NE(WaitForPopupMenu(program.Id()), nullptr);
    // By keys: Wine puts the pointer back where the menu opened while it
    // tracks, so a click could land outside it.
    PressKey(VK_UP);  // from the bottom: "Ukončit"
    PressKey(VK_RETURN);
    const auto shown = WindowsShownUntilExit(program);
    ASSERT_TRUE(shown.has_value()) << "the program waited for a choice";
    EXPECT_EQ(shown->count("#32770"), 0u) << "without a word";
    EXPECT_EQ(folder.Journal().back(), kReportCommand) << "the read-back was the last command";
    EXPECT_NE(ReadFileBytes(folder.IniPath()).find("[Nastaven\xED]\r\nLeft="), std::string::npos)
        << "the INI file is written as at any close";
}

TEST_F(TwoConnections, AfterTheCommandsTheWindowThatAsksHasTheKeyboard)
{
    // The consoles of the commands come and go; when they are done, the
    // chooser asks with the keyboard's focus, and after the choice the
    // main window has it where it was. No test step brings anything to the
    // front: only keys answer.
    ASSERT_NO_FATAL_FAILURE(StartWithTheFirstChosen());
    const MainWindow window(form);
    ClickApply(window);
    ASSERT_TRUE(WaitForTheReadBackToAsk()) << "no chooser after the commands";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == chooser; }, 20s))
        << "the foreground window is " << ClassName(GetForegroundWindow());
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);  // the second connection
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForApplyEnd(window, folder, 7)) << "the keys did not reach the chooser";
    EXPECT_EQ(Text(window.connectionName), "WLAN");
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form; }, 20s))
        << "the foreground window is " << ClassName(GetForegroundWindow());
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(form) == window.apply; }, 20s))
        << "the focus is on " << ClassName(FocusOf(form)) << " \"" << Text(FocusOf(form)) << "\"";
    CloseAndWait(form);
}

TEST_F(TamarkoTest, AClickSentByAnotherProgramAndACloseDuringTheReadBackEndTheProgram)
{
    // An automation tool sends the click: the whole apply runs inside that
    // message, and a close while the read-back runs must still end the
    // program, not leave it without a window for ever.
    folder.WriteNetsimState(NetsimState({kLan}));
    PlantProxy(nullptr, nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    folder.WriteNetsimState(NetsimState({kLan}, std::string("gate = ") + kGate + "\r\n"));
    folder.ClearJournal();
    Step("a click sent to the apply button");
    ASSERT_TRUE(SendNotifyMessageA(window.apply, BM_CLICK, 0, 0));
    for (std::size_t commands = 1; commands <= 5; ++commands) {
        ASSERT_TRUE(WaitUntil([&] { return folder.Journal().size() == commands; })) << "command " << commands;
        folder.OpenGate();
    }
    ASSERT_TRUE(WaitUntil([&] { return folder.Journal().size() == 6 && folder.Journal().back() == kReportCommand; }))
        << "the read-back did not start";
    PostCommand(form, cmClose);
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the program did not end";
    folder.OpenGate();
}

// The adapter gone after the renewal: the program ends as it must, and
// keeps what the session changed, as any close does.
TEST_F(TamarkoTest, WhenTheReadBackFindsNoConnectionTheProgramEndsKeepingItsSettings)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string doma = folder.File("doma.dat");
    WriteFileBytes(doma, "[Nastavení]\r\nIP=10.0.0.7\r\n");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    // The session binds a quick button and moves the window.
    PostCommand(form, QuickSlotCommand(1, qiBind));
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", "Otevřít nastavení sítě");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, doma));
    ASSERT_TRUE(WaitUntil([&] { return Text(FindControl(window.toolBar, 112, 2)).find("doma") != std::string::npos; }));
    SetWindowPos(form, nullptr, 140, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // From now on the report lists no connection at all.
    const std::string emptyReport = folder.File("empty-report.txt");
    WriteFileBytes(emptyReport, "\r\n");
    folder.WriteNetsimState(NetsimState({kLan}, "report_file = " + emptyReport + "\r\n"));
    BringToFront(form);
    ClickApply(window);

    const auto box = WaitForMessageBox(program.Id(), 20s);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text,
        "Nebylo nalezeno žádné síťové připojení.\r\n"
        "Program nemá co nastavovat, a proto bude ukončen.\r\n\r\n"
        "Ukončit program.");
    PressButton(box->window);
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the program did not end";
    EXPECT_EQ(folder.Journal().size(), 7u);
    const std::string ini = ReadFileBytes(folder.IniPath());
    EXPECT_NE(ini.find("Left=140\r\nTop=120\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("But2=" + doma + "\r\n"), std::string::npos) << ini;
}
