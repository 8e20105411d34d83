// The apply button: the fields are checked, the commands run one after
// another with the window locked, the proxy values are written, and the
// window shows what the system then has.
#include "tests/e2e/e2e_fixture.h"

#include <thread>

using namespace e2e;

namespace {

const char kName[] = "Připojení k místní síti";
const NetConnection kLan{kName, false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1, 8.8.8.8"};
// No gateway and no DNS server: empty fields that agree with the system.
const NetConnection kBare{kName, false, "10.8.0.2", "255.255.255.252", "", ""};
const char kLeasePool[] = "dhcp_pool = 10.0.0.100\r\ndhcp_mask = 255.255.255.0\r\ndhcp_gateway = 10.0.0.1\r\n";

// The line breaks of these messages are LF CR LF CR.
const char kBadIp[] = "Byla zadána neplatná IP adresa.\n\r\n\rAdresu musíte opravit!";
const char kBadMask[] = "Byla zadána neplatná maska podsítě.\n\r\n\rAdresu musíte opravit!";
const char kBadGateway[] = "Byla zadána neplatná brána.\n\r\n\rAdresu musíte opravit!";
const char kBadDns[] = "Byl zadán neplatný server DNS.\n\r\n\rAdresu musíte opravit!";
const char kBadDns2[] = "Byl zadán neplatný náhradní server DNS.\n\r\n\rAdresu musíte opravit!";
const char kBadProxy[] = "Byla zadána neplatná IP adresa Proxy serveru.\n\r\n\rAdresu musíte opravit!";

const char kStatusAddress[] = "Nastavuji IP adresu, čekejte...";
const char kStatusDns[] = "Nastavuji server DNS, čekejte...";
const char kStatusRenew[] = "Obnovuji připojení, čekejte...";
const char kStatusDone[] = "Hotovo, čekejte...";

const char kRelease[] = "ipconfig /release";
const char kRenew[] = "ipconfig /renew";

std::string Netsh(const std::string& command, const std::string& arguments)
{
    return "netsh interface ip " + command + " \"" + std::string(kName) + "\" " + arguments;
}

COLORREF WindowColour()
{
    return GetSysColor(COLOR_WINDOW);
}

bool PutOnClipboard(const std::string& text)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory) {
        memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory))
            GlobalFree(memory);
    }
    CloseClipboard();
    return memory != nullptr;
}

// Replaces a field's text as a user does: click into it, select it all with
// the keyboard, type over it. A long text is pasted: typed, it would take
// half a minute.
void Retype(HWND field, const std::string& text)
{
    if (Text(field) == text)
        return;
    ASSERT_TRUE(Enabled(field)) << "cannot type into a disabled field";
    ASSERT_TRUE(ClickSurely(field, 5, 5));
    PressKey(VK_END);
    PressKey(VK_HOME, {VK_SHIFT});
    if (text.empty()) {
        PressKey(VK_DELETE);
    } else if (text.size() > 100) {
        ASSERT_TRUE(PutOnClipboard(text));
        PressKey('V', {VK_CONTROL});
    } else {
        TypeText(text);
    }
    ASSERT_TRUE(WaitUntil([&] { return Text(field) == text; }, 20s))
        << "typed " << text.size() << " characters, the field has " << Text(field).size();
}

void ClickToState(HWND button, bool checked)
{
    if (Checked(button) == checked)
        return;
    ASSERT_TRUE(ClickSurely(button, 6, 8));
    ASSERT_TRUE(WaitUntil([&] { return Checked(button) == checked; }, 20s));
}

void ClickApply(const MainWindow& window)
{
    ASSERT_TRUE(ClickSurely(window.apply, 140, 12));
}

// The message boxes the program shows from now on, each read and confirmed
// before the next may come; `expected` says how many to wait for patiently.
std::vector<std::string> ConfirmMessages(DWORD processId, std::size_t expected)
{
    std::vector<std::string> texts;
    while (texts.size() < 10) {
        const auto box = WaitForMessageBox(processId, texts.size() < expected ? 20s : 500ms);
        if (!box)
            break;
        EXPECT_EQ(box->caption, "Tamarko");
        texts.push_back(box->text);
        PressButton(box->window);
    }
    return texts;
}

// The end of an apply: the read-back has filled the window again and
// unlocked it, after `journalLines` command lines in all.
bool WaitForApplyEnd(
    const MainWindow& window, const ProgramFolder& folder, std::size_t journalLines, Duration timeout = 20s)
{
    return WaitUntil(
        [&] {
            return folder.Journal().size() >= journalLines && Text(window.statusBar) == kStateLegend
                && Enabled(window.form) && Enabled(window.apply);
        },
        timeout);
}

struct RegistryValue {
    DWORD type = REG_NONE;
    std::string bytes;
};

std::optional<RegistryValue> ReadProxyValue(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.bytes.data()), &size);
        value.bytes.resize(size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// The proxy values as the program wrote them: a DWORD switch and a string.
void ExpectProxyWritten(DWORD enable, const std::string& server)
{
    const auto written = ReadProxyValue("ProxyEnable");
    ASSERT_TRUE(written.has_value()) << "ProxyEnable was not written";
    EXPECT_EQ(written->type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(written->bytes.size(), sizeof(DWORD));
    DWORD value = 0;
    memcpy(&value, written->bytes.data(), sizeof value);
    EXPECT_EQ(value, enable);
    const auto address = ReadProxyValue("ProxyServer");
    ASSERT_TRUE(address.has_value()) << "ProxyServer was not written";
    EXPECT_EQ(address->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(address->bytes.c_str()), server);
}

void ExpectShowsTheSystem(const MainWindow& window)
{
    for (HWND control : window.StateControls())
        EXPECT_TRUE(window.PaintedIn(control, kLime)) << ClassName(control) << " " << Text(control);
    EXPECT_EQ(Text(window.statusBar), kStateLegend);
    EXPECT_TRUE(Enabled(window.form));
    EXPECT_TRUE(Enabled(window.apply));
}

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

// The chooser once it waits for a choice, and its list.
HWND WaitForChooser(DWORD processId)
{
    HWND chooser = WaitForTopWindow(processId, "TForm2", "Výběr z dostupných síťových připojení");
    if (chooser)
        WaitUntil([&] { return Enabled(chooser) && ListItems(FindControl(chooser, 0, 32)).size() > 1; }, 20s);
    return chooser;
}

// Picks entry `index` of the chooser's list as a user does: a click, then Enter.
void Choose(HWND chooser, int index)
{
    BringToFront(chooser);
    ASSERT_TRUE(ClickSurely(FindControl(chooser, 0, 32), 40, 6 + 13 * index));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(chooser); }, 20s));
}

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
        if (c.box) {
            EXPECT_EQ(ConfirmMessages(program.Id(), 1), std::vector<std::string>{c.box}) << c.what << ": read back";
        }
        EXPECT_TRUE(WaitForApplyEnd(window, folder, c.automatic ? 6 : 7)) << c.what;
        EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms)) << c.what << ": nothing refused";
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

// A command that ends with an error is not taken for success: the sequence
// goes on as before and reads the state back, then says which commands
// failed, and the fields keep what the user typed, so that those that did
// not take differ from the state read back.
TEST_F(TamarkoTest, CommandsThatFailAreSaidAndWhatTheUserTypedStays)
{
    const std::string address = Netsh("set address", "static  10 . 0 . 0 . 1 255.255.255.0 192.168.1.1 1");
    const std::string allAddress = Netsh("set address", "static 192.168.1.20 255.255.255.0 192.168.1.1 1");
    const auto failed = [](const char* setting, const std::string& command) {
        return std::string(setting) + ": příkaz „" + command + "“ skončil s chybovým kódem 1.";
    };
    const std::string closing
        = "\r\n\r\nV polích zůstaly hodnoty, které jste zadali; ty, které se liší od aktuálního stavu, se nepodařilo "
          "nastavit.";
    const struct {
        const char* what;
        const char* hooks;
        const char *ip, *dns, *dns2;
        std::vector<std::string> commands;  // between the two reports
        std::string box;
        bool ipTook;
    } cases[] = {
        // Blanks and leading zeros pass the check and reach the command
        // exactly as typed; netsh refuses the split address and takes the
        // zero-padded ones.
        {"refused address, zero-padded servers", "", " 10 . 0 . 0 . 1", "010.000.000.001", "8.8.008.008",
            {address, Netsh("set dns", "static 010.000.000.001"), Netsh("add dns", "8.8.008.008"), kRelease, kRenew},
            "Nastavení se nepodařilo provést:\r\n\r\n" + failed("IP adresa", address) + closing, false},
        {"every command exits with 1", "exit_code = 1\r\n", "192.168.1.20", "192.168.1.1", "8.8.8.8",
            {allAddress, Netsh("set dns", "static 192.168.1.1"), Netsh("add dns", "8.8.8.8"), kRelease, kRenew},
            "Některá nastavení se nepodařilo provést:\r\n\r\n" + failed("IP adresa", allAddress) + "\r\n\r\n"
                + failed("Server DNS", Netsh("set dns", "static 192.168.1.1")) + "\r\n\r\n"
                + failed("Náhradní server DNS", Netsh("add dns", "8.8.8.8")) + "\r\n\r\n"
                + failed("Obnovení připojení", kRelease) + "\r\n\r\n" + failed("Obnovení připojení", kRenew) + closing,
            true},
    };
    PlantProxy(nullptr, nullptr);
    for (const auto& c : cases) {
        folder.WriteNetsimState(NetsimState({kLan}, c.hooks));
        folder.ClearJournal();
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr) << c.what;
        const MainWindow window(form);
        BringToFront(form);
        Retype(window.ip, c.ip);
        Retype(window.dns, c.dns);
        Retype(window.dns2, c.dns2);
        ClickApply(window);

        EXPECT_EQ(ConfirmMessages(program.Id(), 1), std::vector<std::string>{c.box}) << c.what;
        std::vector<std::string> expected{kReportCommand};
        expected.insert(expected.end(), c.commands.begin(), c.commands.end());
        expected.push_back(kReportCommand);
        EXPECT_EQ(folder.Journal(), expected) << c.what << ": every step ran, and the state was read back";
        EXPECT_TRUE(Enabled(form) && Enabled(window.apply)) << c.what;
        EXPECT_EQ(Text(window.statusBar), "Některá nastavení se nepodařilo provést; pole ukazují zadané hodnoty.");
        EXPECT_EQ(Text(window.ip), c.ip) << c.what << ": what the user typed";
        EXPECT_EQ(Text(window.dns), c.dns) << c.what;
        EXPECT_EQ(Text(window.dns2), c.dns2) << c.what;
        // Against the state read back: the refused address differs, what
        // took agrees.
        EXPECT_TRUE(window.PaintedIn(window.ip, c.ipTook ? kLime : WindowColour())) << c.what;
        EXPECT_TRUE(window.PaintedIn(window.mask, kLime)) << c.what;
        CloseAndWait(form);
    }
}

TEST_F(TamarkoTest, ACommandThatCannotStartEndsTheSequenceWithTheLaunchersMessage)
{
    // The gateway is left empty: the sequence writes none into it before
    // the first command, and a failure must give back what the user typed.
    const std::string longAddress = std::string(600, ' ') + "10.0.0.1";
    const std::string longLine = Netsh("set address", "static " + longAddress + " 255.255.255.0 none");
    const struct {
        const char* what;
        bool removeNetsh;
        std::string ip;
        std::string message;
    } cases[] = {
        {"netsh cannot be found", true, "192.168.1.20",
            "Program netsh nelze spustit (příkaz „" + Netsh("set address", "static 192.168.1.20 255.255.255.0 none")
                + "“): Soubor nelze najít."},
        // Blanks around an address pass the check, so a field may make the
        // line longer than the launcher takes.
        {"a command line too long to start", false, longAddress,
            "Program netsh nelze spustit (příkaz „" + longLine + "“): Příkazový řádek je příliš dlouhý ("
                + std::to_string(longLine.size()) + " znaků, nejvýše 511). Příkaz nebyl spuštěn."},
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
        chooser = WaitForChooser(program.Id());
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
