// One running instance at a time, and life in the notification area.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;

namespace {

const NetConnection kLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};
const UINT kTrayCallback = WM_USER + 1;

RECT WindowRect(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

HWND WaitForMenu(DWORD processId)
{
    return WaitForPopupMenu(processId, 20s);
}

// The tray menu's items as drawn, separators left out: "Obnovit",
// "Otevřít", "Uložit", "O programu", "Ukončit"; the menu is closed again.
std::vector<bool> TrayMenuItems(HWND form, DWORD processId)
{
    PostMessageA(form, kTrayCallback, 1, WM_RBUTTONDOWN);
    HWND menu = WaitForMenu(processId);
    if (!menu)
        return {};
    const std::vector<bool> items = MenuItemsEnabled(menu);
    // Closed as a click elsewhere closes it: while a command runs, its
    // console has the keyboard, and no key would reach the menu.
    Step("the tray menu is closed");
    PostMessageA(form, WM_CANCELMODE, 0, 0);
    WaitUntil([&] { return !IsWindowVisible(menu); }, 20s);
    return items;
}

// Picks the first connection once the chooser asks: the report has run
// (the chooser waits disabled meanwhile) and its list is built anew.
void ChooseFirstConnection(DWORD processId, const ProgramFolder& folder)
{
    HWND chooser = WaitForTopWindow(processId, "TForm2");
    ASSERT_NE(chooser, nullptr);
    HWND list = FindControl(chooser, 0, 32);
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<std::string> journal = folder.Journal();
        return !journal.empty() && journal.back() == kReportCommand && Enabled(chooser) && ListItems(list).size() == 2;
    }));
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    PostMessageA(FindControl(chooser, 144, 140), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(chooser); }));
}

}  // namespace

TEST_F(TamarkoTest, ASecondStartEndsSilentlyAndLeavesTheFirstAlone)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    WriteFileBytes(folder.IniPath(), "[Nastavení]\r\nLeft=120\r\nTop=110\r\n");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    BringToFront(window.ip);
    const std::string before = Text(window.ip);
    ClickSurely(window.ip, 5, 5);
    PressKey(VK_END);
    TypeText("9");
    ASSERT_TRUE(WaitUntil([&] { return Text(window.ip) == before + "9"; })) << "typed into the IP address";
    const std::string typed = Text(window.ip);
    const std::string ini = ReadFileBytes(folder.IniPath());
    folder.ClearJournal();

    Process second = StartTamarko(folder, "\"" + folder.File("jine.dat") + "\"");
    const auto shown = WindowsShownUntilExit(second);
    ASSERT_TRUE(shown.has_value()) << "the second instance must end";
    EXPECT_TRUE(shown->empty()) << "the second instance showed a window of class " << *shown->begin();

    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(Text(window.ip), typed) << "the first instance's fields are untouched";
    EXPECT_EQ(ReadFileBytes(folder.IniPath()), ini) << "the INI file is untouched";
    EXPECT_TRUE(folder.Journal().empty()) << "the second instance ran no report";
    EXPECT_TRUE(TrayHoldsIcon(form));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    CloseAndWait(form);

    // With the first gone, a new start runs normally.
    form = StartFilled();
    EXPECT_NE(form, nullptr);
    CloseAndWait(form);
}

TEST_F(TamarkoTest, MinimisingHidesInTheTrayAndADoubleClickRestores)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(TrayHoldsIcon(form)) << "the icon is there from the start";
    const RECT placed = WindowRect(form);

    for (UINT doubleClick : {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK}) {
        PostMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);  // the title bar's minimise button
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); }, 20s)) << "hidden, with its taskbar button";
        EXPECT_TRUE(TrayHoldsIcon(form));
        PostMessageA(form, kTrayCallback, 1, doubleClick);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form) && !IsIconic(form); }, 20s)) << doubleClick;
        EXPECT_TRUE(SameRect(WindowRect(form), placed)) << "restored where it was";
    }
    // A single click and a move do nothing.
    PostMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); }, 20s));
    for (UINT nothing : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE})
        PostMessageA(form, kTrayCallback, 1, nothing);
    EXPECT_FALSE(WaitUntil([&] { return IsWindowVisible(form) != FALSE; }, 500ms));

    // The tray menu's "Obnovit" (its first item) restores too.
    PostMessageA(form, kTrayCallback, 1, WM_RBUTTONDOWN);
    HWND menu = WaitForMenu(program.Id());
    ASSERT_NE(menu, nullptr) << "a right press opens the tray menu";
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(form) != FALSE; }, 20s));
    EXPECT_TRUE(SameRect(WindowRect(form), placed));
    CloseAndWait(form);
    EXPECT_FALSE(TrayHoldsIcon(form)) << "the icon leaves with the program";
}

TEST_F(TamarkoTest, TrayMenuOffersOnlyRestoreAndEndWhileTheWindowIsLockedAndEndsTheProgram)
{
    // Two connections: the chooser asks at the start and after the apply.
    const NetConnection wlan = DhcpConnection("WLAN");
    folder.WriteNetsimState(NetsimState({kLan, wlan}));
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    const std::vector<bool> locked{true, false, false, false, true};
    ASSERT_TRUE(WaitUntil([&] { return FindTopWindow(program.Id(), "TForm2") && !Enabled(form); }));
    EXPECT_EQ(TrayMenuItems(form, program.Id()), locked) << "while the chooser asks";
    ASSERT_NO_FATAL_FAILURE(ChooseFirstConnection(program.Id(), folder));
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }));

    PostCommand(form, cmAbout);
    HWND about = WaitForTopWindow(program.Id(), "TAutor");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(TrayMenuItems(form, program.Id()), locked) << "while the about box is open";
    PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) && Enabled(form); }));

    // The apply's first command waits at the stand-ins' gate.
    folder.WriteNetsimState(NetsimState({kLan, wlan}, std::string("gate = ") + kGate + "\r\n"));
    folder.ClearJournal();
    PostMessageA(window.apply, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return folder.Journal().size() == 1; })) << "the first command did not start";
    EXPECT_EQ(TrayMenuItems(form, program.Id()), locked) << "while a command of the apply runs";
    folder.WriteNetsimState(NetsimState({kLan, wlan}));
    folder.OpenGate();
    ASSERT_NO_FATAL_FAILURE(ChooseFirstConnection(program.Id(), folder));
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }));
    EXPECT_EQ(TrayMenuItems(form, program.Id()), std::vector<bool>(5, true)) << "the window usable again";

    PostMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); }, 20s));
    PostMessageA(form, kTrayCallback, 1, WM_RBUTTONDOWN);
    ASSERT_NE(WaitForMenu(program.Id()), nullptr);
    PressKey(VK_UP);  // from the bottom: "Ukončit"
    PressKey(VK_RETURN);
    ASSERT_TRUE(program.WaitForExit(20s).has_value());
    const std::string ini = ReadFileBytes(folder.IniPath());
    EXPECT_NE(ini.find("Left=100"), std::string::npos) << "the placement it had when last shown: " << ini;
    EXPECT_NE(ini.find("[RychleIkony]"), std::string::npos);
}

TEST_F(TamarkoTest, TheIconComesBackWhenTheTaskbarIsCreatedAnew)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(TrayHoldsIcon(form));

    // The shell restarts: its icons are gone until their programs add them.
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = form;
    icon.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    ASSERT_FALSE(TrayHoldsIcon(form));
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TrayHoldsIcon(form); }, 20s));

    // Also while the window is hidden in the tray, which is when it matters.
    PostMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); }, 20s));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TrayHoldsIcon(form); }, 20s));
    PostMessageA(form, kTrayCallback, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(form) != FALSE; }, 20s));
    CloseAndWait(form);
}
