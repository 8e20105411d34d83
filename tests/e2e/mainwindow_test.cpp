// The main window as a user first meets it: its frame, its controls and
// their texts, its stored placement and its close.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;

namespace {

struct ControlRow {
    const char* what;
    int left, top, width, height;
    const char* className;
    const char* text;
    bool growsToText;  // labels may grow to fit their caption
};

// Controls directly on the window.
const ControlRow kFormControls[] = {
    {"tool bar", 0, 0, 300, 30, "TCoolBar", "", false},
    {"computer name caption", 8, 48, 120, 15, "TmyLabel3d", "Síťové jméno počítače:", true},
    {"computer name", 152, 48, 137, 16, "TLabel", "???", false},
    {"connection caption", 8, 72, 135, 15, "TmyLabel3d", "Název síťového připojení:", true},
    {"connection name", 152, 70, 137, 16, "TLabel", "???", false},
    {"mode caption", 8, 96, 52, 15, "TmyLabel3d", "IP adresa:", true},
    // Ends where "automaticky" begins, in front of it: what shows of it is
    // the design's.
    {"manual", 152, 91, 56, 17, "Button", "ručně", false},
    {"automatic", 208, 91, 81, 17, "Button", "automaticky", false},
    {"IP caption", 8, 120, 52, 15, "TmyLabel3d", "IP adresa:", true},
    {"IP address", 152, 112, 137, 23, "Edit", "???", false},
    {"mask caption", 8, 144, 79, 15, "TmyLabel3d", "Maska podsítě:", true},
    {"mask", 152, 136, 137, 23, "Edit", "???", false},
    {"gateway caption", 8, 168, 36, 15, "TmyLabel3d", "Brána:", true},
    {"gateway", 152, 160, 137, 23, "Edit", "???", false},
    {"DNS caption", 8, 192, 68, 15, "TmyLabel3d", "Server DNS:", true},
    {"DNS", 152, 184, 137, 23, "Edit", "???", false},
    {"alternate DNS caption", 8, 216, 118, 15, "TmyLabel3d", "Náhradní server DNS:", true},
    {"alternate DNS", 152, 208, 137, 23, "Edit", "???", false},
    {"proxy group", 8, 240, 281, 97, "TGroupBox", "Nastavení Proxy v MS Internet exploreru", false},
    {"apply button", 8, 344, 281, 25, "Button", "Uložit parametry do síťového připojení", false},
    {"status bar", 0, 376, 300, 19, "msctls_statusbar32", "", false},
};

// Controls in the proxy group, in the group's client coordinates.
const ControlRow kProxyControls[] = {
    {"proxy caption", 8, 26, 117, 15, "TmyLabel3d", "Používat Proxy server:", true},
    {"proxy check box", 144, 24, 129, 17, "Button", "", false},
    {"proxy address caption", 8, 50, 127, 15, "TmyLabel3d", "IP adresa Proxy serveru:", true},
    {"proxy address", 144, 42, 129, 23, "Edit", "???", false},
    {"port caption", 8, 74, 26, 15, "TmyLabel3d", "Port:", true},
    {"port", 144, 66, 129, 23, "Edit", "???", false},
};

// Tool-bar buttons: left edge and hint (their window text).
const std::pair<int, const char*> kToolButtons[] = {
    {2, "Otevřít uloženou konfiguraci"},
    {24, "Uložit konfiguraci"},
    {88, nullptr},
    {112, nullptr},
    {136, nullptr},
    {160, nullptr},
    {184, nullptr},
    {272, "Ukončit program"},
};

void ExpectControls(HWND parent, const ControlRow* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const ControlRow& row = rows[i];
        HWND control = FindControl(parent, row.left, row.top);
        ASSERT_NE(control, nullptr) << row.what << " is not at " << row.left << "," << row.top;
        const RECT rect = RectIn(control, parent);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        if (row.growsToText) {
            EXPECT_GE(width, row.width) << row.what;
            EXPECT_LE(width, row.width + 4) << row.what;
            EXPECT_GE(height, row.height) << row.what;
            EXPECT_LE(height, row.height + 2) << row.what;
        } else {
            EXPECT_EQ(width, row.width) << row.what;
            EXPECT_EQ(height, row.height) << row.what;
        }
        EXPECT_EQ(ClassName(control), row.className) << row.what;
        EXPECT_EQ(Text(control), row.text) << row.what;
        EXPECT_TRUE(Visible(control)) << row.what;
    }
}

}  // namespace

const NetConnection kLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};
const NetConnection kWlan = DhcpConnection("WLAN");

TEST_F(TamarkoTest, MainWindowHasItsDesignedFrameAndLayout)
{
    // With two connections the chooser waits for the user, and the window
    // behind it still shows its design.
    folder.WriteNetsimState(NetsimState({kLan, kWlan}));
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    ASSERT_NE(WaitForTopWindow(program.Id(), "TForm2"), nullptr);

    const LONG style = Style(form);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the border is fixed";
    const RECT client = ClientRect(form);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 395);
    RECT window;
    GetWindowRect(form, &window);
    EXPECT_EQ(window.left, 100) << "default placement without an INI file";
    EXPECT_EQ(window.top, 100);

    ExpectControls(form, kFormControls, std::size(kFormControls));
    HWND group = FindControl(form, 8, 240, 281, 97);
    ASSERT_NE(group, nullptr);
    ExpectControls(group, kProxyControls, std::size(kProxyControls));

    HWND toolBar = FindControl(form, 0, 0, 300, 30);
    ASSERT_NE(toolBar, nullptr);
    for (const auto& [left, hint] : kToolButtons) {
        HWND button = FindControl(toolBar, left, 2, 23, 22);
        ASSERT_NE(button, nullptr) << "tool-bar button at " << left;
        if (hint) {
            EXPECT_EQ(Text(button), hint);
        }
    }
}

TEST_F(TamarkoTest, TabMovesThroughTheFieldsInTheirOrder)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const int on = 1;
    PlantProxy(&on, "proxy.example.com:8080");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    // From the IP address round to it again; of the radio buttons only the
    // checked one (manual) is a stop.
    const std::pair<HWND, const char*> order[] = {
        {window.ip, "IP address"},
        {window.mask, "mask"},
        {window.gateway, "gateway"},
        {window.dns, "DNS"},
        {window.dns2, "alternate DNS"},
        {window.proxy, "proxy check box"},
        {window.proxyAddress, "proxy address"},
        {window.proxyPort, "port"},
        {window.apply, "apply button"},
        {window.manual, "manual addressing"},
        {window.ip, "IP address again"},
    };
    BringToFront(form);
    Click(window.ip, 5, 5);
    auto focused = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
        return info.hwndFocus;
    };
    ASSERT_TRUE(WaitUntil([&] { return focused() == window.ip; }, 20s));
    for (std::size_t i = 1; i < std::size(order); ++i) {
        PressKey(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return focused() == order[i].first; }, 20s))
            << "Tab should reach " << order[i].second;
    }
    PlantProxy(nullptr, nullptr);
    CloseAndWait(form);
}

TEST_F(TamarkoTest, ToolBarButtonsShowTheirHints)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    BringToFront(form);
    HWND toolBar = FindControl(form, 0, 0, 300, 30);
    MoveMouse(FindControl(toolBar, 24, 2), 10, 10);
    HWND tip = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            tip = FindTopWindow(program.Id(), "tooltips_class32");
            return tip && Text(tip) == "Uložit konfiguraci";
        },
        5s))
        << "tooltip text: " << (tip ? Text(tip) : "(none)");
    CloseAndWait(form);
}

TEST_F(TamarkoTest, StoredPlacementIsRestoredAndTheNewOneWrittenAtClose)
{
    // Without a stored size the designed one stays; a stored one is the outer size.
    const struct {
        const char* stored;
        int width, height;  // 0: the designed size
    } cases[] = {
        {"Left=200\r\nTop=150\r\n", 0, 0},
        {"Left=200\r\nTop=150\r\nHeight=470\r\nWidth=350\r\n", 350, 470},
    };
    folder.WriteNetsimState(NetsimState({kLan}));
    for (const auto& c : cases) {
        WriteFileBytes(folder.IniPath(), std::string("[Nastavení]\r\n") + c.stored + "[Jiné]\r\nklic=hodnota\r\n");
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr) << c.stored;
        RECT window;
        GetWindowRect(form, &window);
        EXPECT_EQ(window.left, 200) << c.stored;
        EXPECT_EQ(window.top, 150) << c.stored;
        const int width = window.right - window.left;
        const int height = window.bottom - window.top;
        if (c.width) {
            EXPECT_EQ(width, c.width) << "Width is the outer width";
            EXPECT_EQ(height, c.height) << "Height is the outer height";
        } else {
            EXPECT_EQ(ClientRect(form).right, 300);
            EXPECT_EQ(ClientRect(form).bottom, 395);
        }

        SetWindowPos(form, nullptr, 260, 170, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CloseAndWait(form);
        const std::string expected = "[Nastavení]\r\nLeft=260\r\nTop=170\r\nHeight=" + std::to_string(height)
            + "\r\nWidth=" + std::to_string(width) + "\r\n";
        const std::string ini = ReadFileBytes(folder.IniPath());
        EXPECT_EQ(ini.substr(0, expected.size()), expected) << ini;
        EXPECT_NE(ini.find("[Jiné]\r\nklic=hodnota"), std::string::npos) << "other sections stay";
    }
}

TEST_F(TamarkoTest, DamagedPlacementValuesGiveTheDefaults)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    WriteFileBytes(
        folder.IniPath(), "[Nastavení]\r\nLeft=abc\r\nTop=\r\nHeight=99999999999\r\n\x01\x02\xff garbage\r\n");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    RECT window;
    GetWindowRect(form, &window);
    EXPECT_EQ(window.left, 100);
    EXPECT_EQ(window.top, 100);
    EXPECT_EQ(ClientRect(form).bottom, 395) << "a height that is not a number keeps the designed one";
    CloseAndWait(form);
}

TEST_F(TamarkoTest, AnUnwritableIniFileIsSaidAndTheUserMayEndAllTheSame)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    // Another program holds the file without sharing: every write fails.
    WriteFileBytes(folder.IniPath(), "");
    HANDLE lock
        = CreateFileA(folder.IniPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const std::string expected = "Do souboru " + folder.IniPath()
        + " nelze zapisovat: soubor používá jiný program.\r\n\r\nUkončit "
          "program bez uložení nastavení?";

    PostCommand(form, cmClose);
    auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Tamarko");
    EXPECT_EQ(box->text, expected);
    PressButton(box->window, IDNO);
    EXPECT_FALSE(program.WaitForExit(1s).has_value()) << "No: the close is abandoned";
    EXPECT_TRUE(IsWindowVisible(form));

    PostCommand(form, cmClose);
    box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, expected);
    PressButton(box->window, IDYES);
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "Yes: the program ends without its settings";
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(folder.IniPath()), "") << "the file keeps what it held";
}

TEST_F(TamarkoTest, LogOffWritesTheIniFileAndGoesAheadWhenItCannot)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    auto askToEndSession = [&](DWORD_PTR& answer) {
        return SendMessageTimeoutA(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000, &answer) != 0;
    };

    WriteFileBytes(folder.IniPath(), "");
    HANDLE lock
        = CreateFileA(folder.IniPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(askToEndSession(answer));
    // A box would have held the answer up until it was confirmed.
    EXPECT_EQ(answer, 1u) << "settings that cannot be kept do not stop Windows";
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(folder.IniPath()), "") << "the file keeps what it held";

    ASSERT_TRUE(askToEndSession(answer));
    EXPECT_EQ(answer, 1u);
    EXPECT_NE(ReadFileBytes(folder.IniPath()).find("Left=100"), std::string::npos);
    // The session ends: the program ends in order before Windows ends it.
    Step("the session ends");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000, &ignored);
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the program ends with the session";
}

// Every way of closing ends the program in order (the verifier's rules at
// the end of the test see to the tray icon of each).
TEST_F(TamarkoTest, AltF4TheExitButtonAndTheCloseBoxClose)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    BringToFront(form);
    PressKey(VK_F4, {VK_MENU});
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "Alt+F4";
    EXPECT_TRUE(FileExists(folder.IniPath()));

    form = StartFilled();
    ASSERT_NE(form, nullptr);
    BringToFront(form);
    Click(FindControl(FindControl(form, 0, 0), 272, 2), 11, 11);
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the exit button";

    form = StartFilled();
    ASSERT_NE(form, nullptr);
    Step("the close box");
    PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the close box";
}

TEST_F(TamarkoTest, AnAdministratorWhoseGroupOnlyDeniesIsRefusedWithItsMessage)
{
    // "Run as" with the computer protected: the Administrators group is in
    // the token, but only to deny access, and no setting could be changed.
    folder.WriteNetsimState(NetsimState({kLan}));
    program = StartTamarko(folder, "", {}, Rights::AdministratorsDenyOnly);
    ASSERT_NO_FATAL_FAILURE(
        ExpectRefusedStart("Na tomto počítači nemáte práva administrátora.\r\n"
                           "Program nemůže změnit ani zobrazit nastavení sítě, a proto bude ukončen.\r\n\r\n"
                           "Ukončit program."));
    EXPECT_TRUE(folder.Journal().empty()) << "no report ran";
    const std::vector<std::string> logs = RecorderLogs(folder);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(ReadFileBytes(logs.front()).find("Shell_NotifyIconA"), std::string::npos) << "no tray icon was added";
}
