// The tray icon: its shell record, the callbacks turned into events on a
// real window of the program's own kind, the popup menu, the shell's answers
// and the hook's removal.
#include "components/tray_icon.h"
#include "wingui/form.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A program window: whatever reaches its own handling is recorded.
class TrayHost : public TForm {
public:
    TrayHost() { CreateForm({"TTrayHost", "tray host", WS_POPUP, 0, 0, 120, 80, FontSpec{"Arial", 12}}); }
    std::vector<UINT> messages;
    std::vector<int> commands;
    bool Saw(UINT message) const
    {
        for (UINT seen : messages)
            if (seen == message)
                return true;
        return false;
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back(message);
        return TForm::HandleMessage(message, wParam, lParam);
    }
    void MenuCommand(int id) override { commands.push_back(id); }
};

// Which events fired, in order, each noted with whether the icon itself
// was named as the sender.
struct EventLog {
    std::string text;
    void Attach(TTrayIcon& icon, bool withMouseDown = true)
    {
        auto note = [this, &icon](const char* event) {
            return [this, &icon, event](TComponent* sender) {
                text += event;
                text += sender == &icon ? " " : "(wrong sender) ";
            };
        };
        icon.OnClick = note("click");
        icon.OnDblClick = note("dbl");
        icon.OnMouseMove = note("move");
        icon.OnMouseUp = note("up");
        if (withMouseDown)
            icon.OnMouseDown = note("down");
    }
};

UINT TaskbarCreated()
{
    return RegisterWindowMessageA("TaskbarCreated");
}

// Whether the shell holds the icon: only an icon it has can be modified.
bool ShellHasIcon(const TTrayIcon& icon)
{
    NOTIFYICONDATAA data = MakeNotifyIconData(icon.OwnerWindow(), icon.IconId(), nullptr, "");
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

TEST(TrayIcon, ShellRecordHasTheFirstLayoutAndATipThatFits)
{
    HWND owner = reinterpret_cast<HWND>(0x1234);
    HICON winLogo = LoadIconA(nullptr, IDI_WINLOGO);
    HICON own = LoadIconA(nullptr, IDI_QUESTION);
    const std::string tip63(63, 'a');
    struct Case {
        const char* what;
        UINT id;
        HICON icon;
        std::string tip;
        UINT flags;
        HICON shown;
        std::string storedTip;
    };
    const Case cases[] = {
        {"no tip, no image", 1, nullptr, "", NIF_MESSAGE | NIF_ICON, winLogo, ""},
        {"short tip", 1, own, "Tamarko", NIF_MESSAGE | NIF_ICON | NIF_TIP, own, "Tamarko"},
        {"Czech tip", 2, own, "Síťové nastavení", NIF_MESSAGE | NIF_ICON | NIF_TIP, own, "Síťové nastavení"},
        {"63 characters", 1, nullptr, tip63, NIF_MESSAGE | NIF_ICON | NIF_TIP, winLogo, tip63},
        {"64 characters", 1, nullptr, tip63 + "b", NIF_MESSAGE | NIF_ICON | NIF_TIP, winLogo, tip63},
        {"300 characters", 1, nullptr, tip63 + std::string(237, 'c'), NIF_MESSAGE | NIF_ICON | NIF_TIP, winLogo, tip63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const NOTIFYICONDATAA data = MakeNotifyIconData(owner, c.id, c.icon, c.tip);
        EXPECT_EQ(data.cbSize, 88u);
        EXPECT_EQ(data.hWnd, owner);
        EXPECT_EQ(data.uID, c.id);
        EXPECT_EQ(data.uFlags, c.flags);
        EXPECT_EQ(data.uCallbackMessage, WM_USER + c.id);
        EXPECT_EQ(data.hIcon, c.shown);
        EXPECT_EQ(std::string(data.szTip), c.storedTip);
        // Nothing may spill past the 88 bytes the shell is told of.
        const auto* bytes = reinterpret_cast<const unsigned char*>(&data);
        for (std::size_t i = 88; i < sizeof data; ++i)
            ASSERT_EQ(bytes[i], 0) << "byte " << i;
    }
}

BOOL CALLBACK TakeVisibleMenu(HWND window, LPARAM result)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32768") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// The popup menu this thread shows, if any (other programs may show theirs).
HWND OwnVisibleMenu()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), TakeVisibleMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool strayMenu;

// A menu that should not have opened is closed, so that the test goes on.
void CALLBACK CloseStrayMenu(HWND, UINT, UINT_PTR, DWORD)
{
    if (OwnVisibleMenu()) {
        strayMenu = true;
        EndMenu();
    }
}

// Each mouse message of the shell's callback and the event it fires.
TEST(TrayIcon, CallbackFiresTheEventOfEachMouseMessage)
{
    struct Case {
        const char* what;
        LPARAM mouse;
        bool withMouseDown;
        bool menuWithoutAutoPopup;
        const char* fired;
        LRESULT result;
    };
    const Case cases[] = {
        {"move", WM_MOUSEMOVE, true, false, "move ", 0},
        {"left press", WM_LBUTTONDOWN, true, false, "down ", 0},
        {"left press, no down handler", WM_LBUTTONDOWN, false, false, "click ", 0},
        {"middle press, no down handler", WM_MBUTTONDOWN, false, false, "click ", 0},
        {"right press, no menu", WM_RBUTTONDOWN, true, false, "down ", 0},
        {"right press, no menu, no down handler", WM_RBUTTONDOWN, false, false, "click ", 0},
        {"right press, menu without automatic popup", WM_RBUTTONDOWN, true, true, "down ", 0},
        {"left release", WM_LBUTTONUP, false, false, "up ", 0},
        {"right release", WM_RBUTTONUP, false, false, "up ", 0},
        {"middle release", WM_MBUTTONUP, false, false, "up ", 0},
        {"left double click", WM_LBUTTONDBLCLK, true, false, "dbl ", 0},
        {"right double click", WM_RBUTTONDBLCLK, true, false, "dbl ", 0},
        {"middle double click", WM_MBUTTONDBLCLK, true, false, "dbl ", 0},
        {"the menu key, no menu", WM_CONTEXTMENU, true, false, "", 1},
        {"the menu key, menu without automatic popup", WM_CONTEXTMENU, true, true, "", 1},
        {"anything else", WM_KEYDOWN, true, false, "", 1},
    };
    TrayHost host;
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 501, "Obnovit");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTrayIcon icon(host.Handle());
        ASSERT_EQ(icon.IconId(), 1u);
        EventLog log;
        log.Attach(icon, c.withMouseDown);
        if (c.menuWithoutAutoPopup) {
            icon.SetPopupMenu(menu);
            icon.SetAutoPopup(false);
        }
        host.messages.clear();
        strayMenu = false;
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 300, CloseStrayMenu);
        EXPECT_EQ(SendMessageA(host.Handle(), WM_USER + 1, 1, c.mouse), c.result);
        KillTimer(nullptr, watchdog);
        EXPECT_EQ(log.text, c.fired);
        EXPECT_FALSE(host.Saw(WM_USER + 1)) << "the callback was passed on";
        EXPECT_FALSE(strayMenu) << "a menu opened";
    }
    DestroyMenu(menu);
}

// The window's own handling goes on under the hook.
TEST(TrayIcon, OtherMessagesReachTheOwnersOwnHandling)
{
    TrayHost host;
    TTrayIcon icon(host.Handle());
    EventLog log;
    log.Attach(icon);
    SendMessageA(host.Handle(), WM_USER + 2, 0, WM_LBUTTONDOWN);
    SendMessageA(host.Handle(), WM_COMMAND, 321, 0);
    EXPECT_TRUE(host.Saw(WM_USER + 2));
    EXPECT_EQ(host.commands, std::vector<int>{321});
    EXPECT_EQ(log.text, "");
}

bool menuSeen;
int menuTicks;

// Runs inside the menu's own loop: it sees the menu and picks its first item
// with the keyboard, or gives up and closes it.
void CALLBACK PickFirstMenuItem(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (HWND popup = OwnVisibleMenu()) {
        menuSeen = true;
        KillTimer(nullptr, timer);
        PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
    } else if (++menuTicks > 30) {
        KillTimer(nullptr, timer);
        EndMenu();
    }
}

// The menu opens instead of the press event (and for the menu key, where the
// shell says so), and the command chosen in it has run by the time the
// callback returns.
TEST(TrayIcon, RightPressOpensTheMenuAndRunsTheChosenCommand)
{
    TrayHost host;
    host.Show();
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 501, "Obnovit");
    AppendMenuA(menu, MF_STRING, 502, "Ukončit");
    for (LPARAM opening : {WM_RBUTTONDOWN, WM_CONTEXTMENU}) {
        SCOPED_TRACE(opening == WM_RBUTTONDOWN ? "right press" : "the menu key");
        TTrayIcon icon(host.Handle());
        EventLog log;
        log.Attach(icon);
        icon.SetPopupMenu(menu);
        host.commands.clear();

        menuSeen = false;
        menuTicks = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, PickFirstMenuItem);
        ASSERT_NE(timer, 0u);
        EXPECT_EQ(SendMessageA(host.Handle(), WM_USER + 1, 1, opening), 0);
        KillTimer(nullptr, timer);

        EXPECT_TRUE(menuSeen);
        EXPECT_EQ(host.commands, std::vector<int>{501});
        EXPECT_EQ(log.text, "");
    }
    DestroyMenu(menu);
}

// What the shell holds, asked of the shell itself.
TEST(TrayIcon, ShellHoldsTheIconFromShowUntilDestruction)
{
    TrayHost host;
    auto icon = std::make_unique<TTrayIcon>(host.Handle());
    icon->SetTip("Tamarko");
    EXPECT_FALSE(ShellHasIcon(*icon)) << "added before ShowIcon";
    icon->ShowIcon();
    EXPECT_TRUE(ShellHasIcon(*icon)) << "not added by ShowIcon";
    icon->SetTip(std::string(100, 'x'));
    icon->SetIcon(LoadIconA(nullptr, IDI_QUESTION));
    EXPECT_TRUE(ShellHasIcon(*icon));
    const TTrayIcon& kept = *icon;
    const HWND owner = kept.OwnerWindow();
    const UINT id = kept.IconId();
    icon.reset();
    NOTIFYICONDATAA data = MakeNotifyIconData(owner, id, nullptr, "");
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data)) << "still there after destruction";
}

TEST(TrayIcon, IconReturnsWhenTheTaskbarIsCreatedAgain)
{
    struct Case {
        const char* what;
        bool shown;
        bool expectBack;
    };
    const Case cases[] = {
        {"shown icon", true, true},
        {"icon never shown", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrayHost host;
        TTrayIcon icon(host.Handle());
        if (c.shown)
            icon.ShowIcon();
        // A restarting shell starts with no icons at all.
        NOTIFYICONDATAA data = MakeNotifyIconData(icon.OwnerWindow(), icon.IconId(), nullptr, "");
        Shell_NotifyIconA(NIM_DELETE, &data);
        ASSERT_FALSE(ShellHasIcon(icon));
        SendMessageA(host.Handle(), TaskbarCreated(), 0, 0);
        EXPECT_EQ(ShellHasIcon(icon), c.expectBack);
        EXPECT_TRUE(host.Saw(TaskbarCreated())) << "the window's own handling missed it";
    }
}

TEST(TrayIcon, KeepsItsOwnCopyOfTheImage)
{
    TrayHost host;
    HICON original = CopyIcon(LoadIconA(nullptr, IDI_QUESTION));
    HICON copy;
    {
        TTrayIcon icon(host.Handle());
        icon.SetIcon(original);
        copy = icon.Icon();
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, original);
        DestroyIcon(original);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(copy, &info));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(copy, &info)) << "the copy outlived the component";
}

// Icons number themselves per window; each hook hands on to the one before,
// and leaving puts the previous procedure back.
TEST(TrayIcon, HooksChainAndUnhookInEitherOrder)
{
    TrayHost host;
    TrayHost otherHost;
    const LONG original = GetWindowLongA(host.Handle(), GWL_WNDPROC);

    // Last in, first out: the window ends with its own procedure.
    {
        TTrayIcon first(host.Handle());
        auto second = std::make_unique<TTrayIcon>(host.Handle());
        TTrayIcon elsewhere(otherHost.Handle());
        EXPECT_EQ(first.IconId(), 1u);
        EXPECT_EQ(second->IconId(), 2u);
        EXPECT_EQ(elsewhere.IconId(), 1u);
        EventLog firstLog, secondLog;
        firstLog.Attach(first);
        secondLog.Attach(*second);
        SendMessageA(host.Handle(), WM_USER + 1, 0, WM_LBUTTONDBLCLK);
        SendMessageA(host.Handle(), WM_USER + 2, 0, WM_MOUSEMOVE);
        EXPECT_EQ(firstLog.text, "dbl ");
        EXPECT_EQ(secondLog.text, "move ");
        second.reset();
        SendMessageA(host.Handle(), WM_USER + 1, 0, WM_LBUTTONUP);
        EXPECT_EQ(firstLog.text, "dbl up ");
        host.messages.clear();
        SendMessageA(host.Handle(), WM_USER + 2, 0, WM_MOUSEMOVE);
        EXPECT_TRUE(host.Saw(WM_USER + 2)) << "a gone icon still takes its callback";
    }
    EXPECT_EQ(GetWindowLongA(host.Handle(), GWL_WNDPROC), original);
    {
        TTrayIcon again(host.Handle());
        EXPECT_EQ(again.IconId(), 1u);
    }

    // The first leaves while the second lives on: both keep working, and
    // nothing of the first answers any more.
    auto first = std::make_unique<TTrayIcon>(host.Handle());
    TTrayIcon second(host.Handle());
    EventLog firstLog, secondLog;
    firstLog.Attach(*first);
    secondLog.Attach(second);
    first.reset();
    host.messages.clear();
    SendMessageA(host.Handle(), WM_USER + 1, 0, WM_LBUTTONDOWN);
    SendMessageA(host.Handle(), WM_USER + 2, 0, WM_LBUTTONDOWN);
    SendMessageA(host.Handle(), WM_COMMAND, 77, 0);
    EXPECT_EQ(firstLog.text, "");
    EXPECT_EQ(secondLog.text, "down ");
    EXPECT_TRUE(host.Saw(WM_USER + 1));
    EXPECT_EQ(host.commands, std::vector<int>{77});
}

}  // namespace
