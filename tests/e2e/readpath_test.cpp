// From the start to the filled window: the report, the connection chooser
// and the current state of the chosen connection.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;
using e2e::common::WaitForChooser;

namespace {

const NetConnection kLan{
    "Připojení k místní síti", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1, 8.8.8.8"};
const NetConnection kWireless = DhcpConnection("Bezdrátové připojení k síti");
const NetConnection kVpn{"VPN Žluťoučký kůň", false, "10.8.0.2", "255.255.255.252", "", ""};

}  // namespace

TEST_F(TamarkoTest, OneConnectionIsChosenWithoutAskingAndShownAllLime)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const int off = 0;
    PlantProxy(&off, nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);

    EXPECT_EQ(FindTopWindow(program.Id(), "TForm2"), nullptr) << "the chooser closed by itself";
    EXPECT_TRUE(Enabled(form));
    EXPECT_EQ(Text(window.connectionName), kLan.name);
    EXPECT_EQ(Text(window.computerName), LocalComputerName());
    EXPECT_EQ(Text(window.ip), "192.168.1.10");
    EXPECT_EQ(Text(window.mask), "255.255.255.0");
    EXPECT_EQ(Text(window.gateway), "192.168.1.1");
    EXPECT_EQ(Text(window.dns), "192.168.1.1");
    EXPECT_EQ(Text(window.dns2), "8.8.8.8");
    EXPECT_TRUE(Checked(window.manual));
    EXPECT_FALSE(Checked(window.automatic));
    for (HWND field : {window.ip, window.mask, window.gateway, window.dns, window.dns2})
        EXPECT_TRUE(Enabled(field));
    EXPECT_FALSE(Checked(window.proxy));
    EXPECT_FALSE(Enabled(window.proxyAddress)) << "the registry says the proxy is off";
    EXPECT_FALSE(Enabled(window.proxyPort));
    EXPECT_EQ(Text(window.proxyAddress), "");
    for (HWND control : window.StateControls())
        EXPECT_TRUE(window.PaintedIn(control, kLime)) << ClassName(control) << " " << Text(control);
    EXPECT_TRUE(window.PaintedIn(window.connectionName, kLime));
    EXPECT_EQ(Text(window.statusBar), kStateLegend);
    EXPECT_EQ(folder.Journal(), std::vector<std::string>{kReportCommand});
    CloseAndWait(form);
}

TEST_F(TamarkoTest, SeveralConnectionsAreListedForTheUserToPick)
{
    folder.WriteNetsimState(NetsimState({kLan, kWireless, kVpn}));
    PlantProxy(nullptr, nullptr);
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    HWND chooser = WaitForChooser(program.Id());
    ASSERT_NE(chooser, nullptr);
    HWND list = FindControl(chooser, 0, 32, 361, 97);
    HWND ok = FindControl(chooser, 144, 140, 81, 25);
    // Once the report is read: the list filled and the chooser enabled.
    ASSERT_TRUE(WaitUntil([&] { return Enabled(chooser) && ListItems(list).size() == 3; }));
    EXPECT_EQ(Text(FindControl(chooser, 40, 8)), "Vyberte připojení, se kterým chcete pracovat:");
    EXPECT_EQ(ListItems(list), (std::vector<std::string>{kLan.name, kWireless.name, kVpn.name}));
    EXPECT_EQ(Text(ok), "OK");
    EXPECT_FALSE(Enabled(form)) << "the main window waits behind the chooser";

    // The item with the focus rectangle, the first, is chosen; OK with the
    // choice emptied is refused.
    EXPECT_EQ(ListSelection(list), 0);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    PostMessageA(ok, BM_CLICK, 0, 0);
    const auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "Není vybráno žádné připojení.");
    EXPECT_EQ(box->caption, "Tamarko");
    PressButton(box->window);
    EXPECT_TRUE(Visible(chooser)) << "the chooser stays without a choice";

    BringToFront(chooser);
    DoubleClick(list, 40, 13 + 6);  // the second entry
    ASSERT_TRUE(WaitUntil([&] { return !Visible(chooser); }));
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));
    EXPECT_EQ(Text(window.connectionName), kWireless.name);
    EXPECT_TRUE(Checked(window.automatic));
    EXPECT_FALSE(Checked(window.manual));
    EXPECT_EQ(Text(window.ip), "10.0.0.101") << "the lease of the second connection";
    EXPECT_EQ(Text(window.dns), "") << "DNS servers from DHCP are not shown";
    for (HWND field : {window.ip, window.mask, window.gateway, window.dns, window.dns2}) {
        EXPECT_FALSE(Enabled(field)) << "automatic addressing disables the address fields";
        EXPECT_TRUE(window.PaintedIn(field, kLime)) << "disabled fields are still painted";
    }
    EXPECT_TRUE(Enabled(form));
    CloseAndWait(form);
}

TEST_F(TamarkoTest, EnterChoosesTheSelectedConnection)
{
    folder.WriteNetsimState(NetsimState({kLan, kVpn}));
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    HWND chooser = WaitForChooser(program.Id());
    ASSERT_NE(chooser, nullptr);
    HWND list = FindControl(chooser, 0, 32);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(chooser) && ListItems(list).size() == 2; }));
    BringToFront(chooser);
    Click(list, 40, 13 + 6);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(chooser); }));
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));
    EXPECT_EQ(Text(window.connectionName), kVpn.name);
    EXPECT_EQ(Text(window.gateway), "");
    CloseAndWait(form);
}

TEST_F(TamarkoTest, NoConnectionEndsTheProgramWithItsMessage)
{
    folder.WriteNetsimState(NetsimState({}));
    program = StartTamarko(folder);
    const auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Tamarko");
    EXPECT_EQ(box->text,
        "Nebylo nalezeno žádné síťové připojení.\r\n"
        "Program nemá co nastavovat, a proto bude ukončen.\r\n\r\n"
        "Ukončit program.");
    HWND form = FindTopWindow(program.Id(), "TForm1");
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(Enabled(form)) << "the main window is never usable";
    PressButton(box->window);
    EXPECT_TRUE(program.WaitForExit(20s).has_value());
}

TEST_F(TamarkoTest, ProxyValuesComeFromTheRegistry)
{
    struct Case {
        std::optional<int> enable;
        const char* server;
        bool checked, enabled;
        const char* address;
        const char* port;
    } cases[] = {
        {1, "proxy.example.com:8080", true, true, "proxy.example.com", "8080"},
        {0, "10.0.0.5:3128", false, false, "10.0.0.5", "3128"},
        {1, "hostonly", true, true, "", "hostonly"},
        {1, "host:123456789012", true, true, "host", "1234567890"},
        {std::nullopt, nullptr, false, true, "", ""},
    };
    folder.WriteNetsimState(NetsimState({kLan}));
    for (const auto& c : cases) {
        PlantProxy(c.enable ? &*c.enable : nullptr, c.server);
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr);
        const MainWindow window(form);
        const std::string what = c.server ? c.server : "(none)";
        EXPECT_EQ(Checked(window.proxy), c.checked) << what;
        EXPECT_EQ(Enabled(window.proxyAddress), c.enabled) << what;
        EXPECT_EQ(Enabled(window.proxyPort), c.enabled) << what;
        EXPECT_EQ(Text(window.proxyAddress), c.address) << what;
        EXPECT_EQ(Text(window.proxyPort), c.port) << what;
        EXPECT_TRUE(window.PaintedIn(window.proxy, kLime)) << what;
        CloseAndWait(form);
    }
}

TEST_F(TamarkoTest, ProxySwitchOfTheWrongTypeIsReportedAndTheProgramGoesOn)
{
    const struct {
        DWORD type;
        std::string data;
        const char* message;
    } cases[] = {
        {REG_SZ, std::string("1\0", 2), "Hodnota „ProxyEnable“ v registru má neplatný datový typ."},
        // Eight bytes do not fit the integer, whatever their type says.
        {REG_BINARY, std::string("\1\0\0\0\0\0\0\0", 8), "Hodnotu „ProxyEnable“ nelze z registru přečíst."},
    };
    folder.WriteNetsimState(NetsimState({kLan}));
    for (const auto& c : cases) {
        PlantProxy(nullptr, "proxy.example.com:8080");
        HKEY key;
        RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_ALL_ACCESS, &key);
        RegSetValueExA(key, "ProxyEnable", 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
            static_cast<DWORD>(c.data.size()));
        RegCloseKey(key);

        program = StartTamarko(folder);
        const auto box = WaitForMessageBox(program.Id());
        ASSERT_TRUE(box.has_value()) << c.message;
        EXPECT_EQ(box->text, c.message);
        PressButton(box->window);
        HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
        const MainWindow window(form);
        ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; })) << c.message;
        EXPECT_EQ(Text(window.ip), "192.168.1.10");
        EXPECT_EQ(Text(window.proxyAddress), "proxy.example.com") << "the rest of the state is still read";
        EXPECT_TRUE(Enabled(form));
        CloseAndWait(form);
    }
    PlantProxy(nullptr, nullptr);
}

TEST_F(TamarkoTest, AReportThatCannotRunIsReportedAndEndsTheProgram)
{
    WriteFileBytes(folder.File("netsh.exe"), "MZ this is not a program");
    program = StartTamarko(folder);
    const auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text.rfind("Systémová chyba. Kód: ", 0), 0u) << box->text;
    PressButton(box->window);
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "no chooser left disabled for ever";
}

TEST_F(TamarkoTest, HostileReportsGiveTheDefinedOutcome)
{
    const std::string prefix = "Konfigurace rozhran\xA1 \"";  // as netsh writes it, in code page 852
    std::string noise(10 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    for (std::size_t at = noise.find(prefix); at != std::string::npos; at = noise.find(prefix))
        noise[at] = 'X';
    struct Case {
        const char* what;
        std::string report;
        std::optional<std::string> connection;  // nothing: no connection, the program ends
    } cases[] = {
        {"10 MB of noise", noise, std::nullopt},
        {"nothing after the prefix", "\r\n" + prefix + "\r\n    Adresa IP: x\r\n", std::string()},
        {"text after the closing quote", prefix + "LAN\" (x)\r\n", std::string("LAN\" (x")},
        {"a 100,000-character line without breaks", prefix + "A\"" + std::string(100000, 'y'),
            std::string("A\"") + std::string(252, 'y')},
        {"zero bytes and lone CRs",
            std::string("\0\r", 2) + prefix + std::string("L\0AN\"\r", 6) + std::string(5, '\0'), std::string("LAN")},
        {"an unbroken line of 8 MiB after the connection", prefix + "LAN\"\r\n" + std::string(8 << 20, 'x'),
            std::string("LAN")},
    };
    for (const auto& c : cases) {
        const std::string reportFile = folder.File("report.bin");
        WriteFileBytes(reportFile, c.report);
        folder.WriteNetsimState(NetsimState({}, "report_file = " + reportFile + "\r\n"));
        program = StartTamarko(folder);
        if (!c.connection) {
            const auto box = WaitForMessageBox(program.Id(), 60s);
            ASSERT_TRUE(box.has_value()) << c.what;
            EXPECT_NE(box->text.find("Nebylo nalezeno"), std::string::npos) << c.what;
            PressButton(box->window);
            EXPECT_TRUE(program.WaitForExit(20s).has_value()) << c.what;
            continue;
        }
        HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
        ASSERT_NE(form, nullptr) << c.what;
        const MainWindow window(form);
        EXPECT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }, 30s)) << c.what;
        EXPECT_EQ(Text(window.connectionName), *c.connection) << c.what;
        CloseAndWait(form);
    }
}

TEST_F(TamarkoTest, AReportThatNeverEndsKeepsTheWindowAliveAndTheTrayEndsIt)
{
    folder.WriteNetsimState(NetsimState({kLan}, "hang = yes\r\n"));
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    HWND chooser = WaitForTopWindow(program.Id(), "TForm2");
    ASSERT_NE(chooser, nullptr);
    // The chooser says so once it is active, and nothing can be chosen while
    // the report runs.
    HWND prompt = FindControl(chooser, 40, 8);
    EXPECT_TRUE(WaitUntil([&] { return Text(prompt) == "Prosím čekejte..." && !Enabled(chooser); }, 20s))
        << Text(prompt) << (Enabled(chooser) ? ", enabled" : ", disabled");
    // The program keeps answering while it waits (how fast is measured by
    // bench.sh; a program that stopped answering would not answer at all).
    for (int i = 0; i < 5; ++i) {
        DWORD_PTR length = 0;
        ASSERT_TRUE(SendMessageTimeoutA(form, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) << i;
        EXPECT_EQ(length, 7u);
    }
    // The tray menu's last item, "Ukončit", still ends the program.
    PostMessageA(form, WM_USER + 1, 1, WM_RBUTTONDOWN);
    ASSERT_NE(WaitForPopupMenu(program.Id()), nullptr);
    // By keys: Wine puts the pointer back where the menu opened while it
    // tracks, so a click could land outside it.
    PressKey(VK_UP);  // from the bottom: "Ukončit"
    PressKey(VK_RETURN);
    const auto shown = WindowsShownUntilExit(program);
    ASSERT_TRUE(shown.has_value()) << "the never-ending report does not hold the program; shown now:"
                                   << testing::PrintToString(VisibleTopWindowClasses(program.Id()));
    EXPECT_EQ(shown->count("#32770"), 0u) << "it ends without a word";
    EXPECT_TRUE(FileExists(folder.IniPath()));
}
