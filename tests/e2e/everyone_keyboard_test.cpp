// The keyboard alone reaches every task, and every menu has access keys.
#include "tests/e2e/everyone.h"

using namespace e2e;
using namespace everyone;

namespace {

const char kBadIp[] = "Byla zadána neplatná IP adresa.\n\r\n\rAdresu musíte opravit!";

// Keys as the user presses them, each waited for: the program has handled
// a key when it answers a message sent after it.
void Key(HWND window, WORD key, std::initializer_list<WORD> modifiers = {})
{
    PressKey(key, modifiers);
    Responds(window);
}

// The letter that chooses "minimise" in a window menu. Menus cannot be read
// across processes under Wine: this process's own window menu, in the same
// language, tells.
char MinimiseLetter()
{
    HWND probe = CreateWindowA("STATIC", "", WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION, 0, 0, 10, 10, nullptr,
        nullptr, nullptr, nullptr);
    HMENU menu = GetSystemMenu(probe, FALSE);
    char letter = 0;
    char caption[64] = {};
    if (GetMenuStringA(menu, SC_MINIMIZE, caption, sizeof caption, MF_BYCOMMAND) > 0) {
        if (const char* amp = std::strchr(caption, '&'))
            letter = amp[1];
    }
    DestroyWindow(probe);
    return letter;
}

// The shell's notification area on the screen (the taskbar where it has no
// part of its own); false without a shell, or with a taskbar not shown.
bool NotificationArea(RECT& area)
{
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (!taskbar || !IsWindowVisible(taskbar))
        return false;
    HWND icons = FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr);
    return GetWindowRect(icons ? icons : taskbar, &area) && !IsRectEmpty(&area);
}

}  // namespace

// One session from the keyboard alone: the chooser, the fields, a refused
// address, the mode pair's arrows, every quick button, the about box, the
// order of the fields, the notification area, an apply. The focus is
// wherever the user would look for it after each step. Each step goes on
// from whatever the one before left: a failure ends its own step, and the
// rest of the session still runs.
TEST_F(TamarkoTest, TheKeyboardAloneReachesEveryTask)
{
    // The connection worked on is the second of two. Each command lasts a
    // while, so that a console that took the keyboard would be seen.
    folder.WriteNetsimState(NetsimState({DhcpConnection("WLAN"), kLan}, "delay_ms = 300\r\n"));
    // Each quick button has a file of its own, and its menu a state of its
    // own (bind, clear, shortcut), so that every key shows which slot it
    // reached.
    const std::vector<bool> slotMenus[]
        = {{false, true, true}, {true, false, true}, {false, false, true}, {true, true, false}, {false, true, false}};
    std::string ini = "[RychleIkony]\r\n";
    for (int slot = 0; slot < 5; ++slot) {
        const std::string number = std::to_string(slot + 1);
        const std::string file = folder.File("slot" + number + ".dat");
        WriteFileBytes(file, "[Nastavení]\r\nIP=10.0.0." + number + "\r\nmaska=255.0.0.0\r\nrucne=1\r\nauto=0\r\n");
        ini += "But" + number + "=" + file + "\r\n";
        const int firstItem = 1 + 4 * slot;
        for (int item : {0, 1, 2})
            ini += "MenuItem" + std::to_string(firstItem + (item == 2 ? 3 : item)) + "="
                + (slotMenus[slot][static_cast<std::size_t>(item)] ? "1" : "0") + "\r\n";
    }
    WriteFileBytes(folder.IniPath(), ini);
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    HWND chooser = WaitForTopWindow(program.Id(), "TForm2");
    ASSERT_NE(chooser, nullptr);
    HWND list = FindControl(chooser, 0, 32);
    // A push button with the keys answers Enter: it is the default button.
    const auto answersEnter = [&] { return (Style(window.apply) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; };
    // A wrong address, and Enter on the apply button: the box, then the
    // keyboard in the field that failed, its text selected.
    const auto enterRefusesAWrongAddress = [&] {
        SetField(window.ip, "1.2.3");
        Key(form, VK_RETURN);
        const auto bad = WaitForMessageBox(program.Id());
        ASSERT_TRUE(bad.has_value()) << "Enter pressed the apply button";
        EXPECT_EQ(bad->text, kBadIp);
        Key(bad->window, VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(form) == window.ip; })) << "the field that failed has the keys";
        DWORD from = 0, to = 0;
        SendMessageA(window.ip, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, 5u) << "its text selected";
    };
    // The pointer rests away from the menus: a greyed item under it would be
    // its choice, not the keys'.
    const auto usableFrom = [](const std::vector<bool>& items, int from, int step) {
        const int count = static_cast<int>(items.size());
        for (int i = 1; i <= count; ++i) {
            const int at = ((from + step * i) % count + count) % count;
            if (items[static_cast<std::size_t>(at)])
                return at;
        }
        return -1;
    };
    HWND focused = nullptr;  // where the keys stood before the about box

    const struct {
        const char* what;
        std::function<void()> run;
    } steps[] = {
        {"the chooser: the item with the focus rectangle is chosen; an emptied choice is refused; the arrows and "
         "Enter choose",
            [&] {
                ASSERT_TRUE(WaitUntil(
                    [&] { return Enabled(chooser) && FocusOf(chooser) == list && GetForegroundWindow() == chooser; }))
                    << "the chooser asks with the keyboard in its list; in front: "
                    << ClassName(GetForegroundWindow());
                EXPECT_EQ(ListSelection(list), 0) << "the first connection, where the focus rectangle stands";
                SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                Key(chooser, VK_RETURN);
                const auto refused = WaitForMessageBox(program.Id());
                ASSERT_TRUE(refused.has_value());
                EXPECT_EQ(refused->text, "Není vybráno žádné připojení.");
                Key(refused->window, VK_RETURN);
                ASSERT_TRUE(WaitUntil([&] { return FocusOf(chooser) == list; })) << "the list has the keys again";
                Key(chooser, VK_DOWN);
                Key(chooser, VK_UP);
                Key(chooser, VK_DOWN);  // the second, wherever the first Down went
                Key(chooser, VK_RETURN);
                ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }));
                EXPECT_EQ(Text(window.connectionName), "LAN");
            }},
        {"Enter on the apply button the start put the keys on",
            [&] {
                ASSERT_TRUE(WaitUntil([&] { return FocusOf(form) == window.apply; })) << "the apply button has the keys";
                EXPECT_TRUE(answersEnter()) << "as the default button";
                enterRefusesAWrongAddress();
            }},
        {"Tab and Shift+Tab between the field, the mode pair and the apply button",
            [&] {
                EXPECT_FALSE(answersEnter()) << "the keys elsewhere, the button is a plain one again";
                Key(form, VK_TAB, {VK_SHIFT});
                EXPECT_EQ(FocusOf(form), window.manual);
                Key(form, VK_TAB, {VK_SHIFT});
                ASSERT_EQ(FocusOf(form), window.apply);
                EXPECT_TRUE(answersEnter());
                Key(form, VK_TAB);
                EXPECT_EQ(FocusOf(form), window.manual);
                Key(form, VK_TAB);
                ASSERT_EQ(FocusOf(form), window.ip);
            }},
        {"the arrows move through the mode pair as the screen shows it, and choose",
            [&] {
                Key(form, VK_TAB, {VK_SHIFT});
                ASSERT_EQ(FocusOf(form), window.manual);
                const struct {
                    WORD key;
                    HWND chosen;
                } arrows[] = {{VK_RIGHT, window.automatic}, {VK_LEFT, window.manual}, {VK_DOWN, window.automatic},
                    {VK_UP, window.manual}};
                for (const auto& arrow : arrows) {
                    Key(form, arrow.key);
                    const bool automatic = arrow.chosen == window.automatic;
                    EXPECT_EQ(FocusOf(form), arrow.chosen) << "key " << arrow.key;
                    EXPECT_TRUE(Checked(arrow.chosen)) << "key " << arrow.key << " chose \"" << Text(arrow.chosen) << "\"";
                    EXPECT_FALSE(Checked(automatic ? window.manual : window.automatic)) << "key " << arrow.key;
                    EXPECT_EQ(Enabled(window.ip), !automatic) << "key " << arrow.key << ": its click handler ran";
                }
                Key(form, VK_TAB);
                ASSERT_EQ(FocusOf(form), window.ip);
            }},
        {"Ctrl+1 ... Ctrl+5 load each quick button's own file; Ctrl+Shift+1 ... 5 open its menu under it, on its "
         "first usable item, the arrows passing over greyed items",
            [&] {
                ASSERT_TRUE(MoveMouseSurely(GetDesktopWindow(), 1000, 10));
                for (int slot = 0; slot < 5; ++slot) {
                    const auto digit = static_cast<WORD>('1' + slot);
                    const std::string ip = "10.0.0." + std::to_string(slot + 1);
                    Key(form, digit, {VK_CONTROL});
                    EXPECT_TRUE(WaitUntil([&] { return Text(window.ip) == ip; }))
                        << "Ctrl+" << slot + 1 << " loaded its file";
                    Key(form, digit, {VK_CONTROL, VK_SHIFT});
                    HWND menu = WaitForPopupMenu(program.Id());
                    ASSERT_NE(menu, nullptr) << "Ctrl+Shift+" << slot + 1 << " opens the slot's menu";
                    EXPECT_EQ(MenuItemsEnabled(menu), slotMenus[slot]) << "Ctrl+Shift+" << slot + 1;
                    RECT menuRect, buttonRect;
                    GetWindowRect(menu, &menuRect);
                    GetWindowRect(FindControl(window.toolBar, 88 + 24 * slot, 2), &buttonRect);
                    EXPECT_EQ(menuRect.left, buttonRect.left) << "the menu of slot " << slot + 1 << " under its button";
                    const int first = usableFrom(slotMenus[slot], -1, 1);
                    EXPECT_EQ(HighlightedMenuItem(menu), first)
                        << "Ctrl+Shift+" << slot + 1 << " opens on the first usable item";
                    Key(form, VK_DOWN);
                    EXPECT_EQ(HighlightedMenuItem(menu), usableFrom(slotMenus[slot], first, 1))
                        << "Down, slot " << slot + 1;
                    Key(form, VK_UP);
                    EXPECT_EQ(HighlightedMenuItem(menu), first) << "Up, slot " << slot + 1;
                    Key(form, VK_ESCAPE);
                    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
                }
            }},
        {"F2, then Esc; F2, then Enter: the about box, Tab in reading order (the web, the mail, \"Pošli "
         "informace\", \"Zavřít\"), and the keys back where they were",
            [&] {
                focused = FocusOf(form);
                const POINT readingOrder[] = {{8, 240}, {296, 240}, {56, 304}, {304, 304}};
                for (WORD closing : {VK_ESCAPE, VK_RETURN}) {
                    Key(form, VK_F2);
                    HWND about = WaitForTopWindow(program.Id(), "TAutor");
                    ASSERT_NE(about, nullptr);
                    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; }));
                    EXPECT_EQ(FocusOf(about), FindControl(about, 304, 304)) << "\"Zavřít\" has the keys first";
                    for (const POINT& at : readingOrder) {
                        Key(about, VK_TAB);
                        EXPECT_EQ(FocusOf(about), FindControl(about, at.x, at.y))
                            << "Tab to " << at.x << "," << at.y << "; the keys are in \"" << Text(FocusOf(about))
                            << "\"";
                    }
                    Key(about, closing);
                    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }))
                        << "key " << closing;
                    EXPECT_TRUE(WaitUntil([&] { return FocusOf(form) == focused; }))
                        << "after the about box, key " << closing;
                }
            }},
        {"Tab follows the window's order, each alternate server after its preferred one; the proxy's check box, "
         "which has no caption, shows that it has the keys",
            [&] {
                ASSERT_EQ(FocusOf(form), window.ip);
                const auto boxPixels = [&] {
                    const Pixels pixels(window.proxy);
                    std::vector<COLORREF> all;
                    for (int y = 0; y < pixels.Height(); ++y)
                        for (int x = 0; x < pixels.Width(); ++x)
                            all.push_back(pixels.At(x, y));
                    return all;
                };
                const std::vector<COLORREF> unfocused = boxPixels();
                const struct {
                    HWND field;
                    const char* what;
                } order[] = {{window.mask, "Maska podsítě"}, {window.gateway, "Brána"}, {window.dns, "Server DNS"},
                    {window.dns2, "Náhradní server DNS"}, {window.proxy, "Používat Proxy server"}};
                for (const auto& next : order) {
                    Key(form, VK_TAB);
                    ASSERT_EQ(FocusOf(form), next.field) << "Tab to \"" << next.what << "\"";
                }
                EXPECT_TRUE(WaitUntil([&] { return boxPixels() != unfocused; })) << "the check box shows its focus";
                for (int presses = 0; presses < 12 && FocusOf(form) != focused; ++presses)
                    Key(form, VK_TAB);
                ASSERT_EQ(FocusOf(form), focused);
            }},
        {"minimised from the window menu (Alt+Space, the item's letter) into the notification area; back through "
         "the icon's menu, opened as the menu key opens it, beside the notification area",
            [&] {
                Key(form, VK_SPACE, {VK_MENU});
                HWND systemMenu = WaitForPopupMenu(program.Id());
                ASSERT_NE(systemMenu, nullptr);
                const char letter = MinimiseLetter();
                ASSERT_NE(letter, 0) << "the window menu's minimise item has a letter";
                Key(form, static_cast<WORD>(VkKeyScanA(letter) & 0xFF));
                ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); })) << "into the notification area";
                ASSERT_TRUE(TrayHoldsIcon(form));
                ASSERT_TRUE(MoveMouseSurely(GetDesktopWindow(), 400, 300));
                Step("the menu key on the tray icon");
                PostMessageA(form, WM_USER + 1, 1, WM_RBUTTONDOWN);
                HWND trayMenu = WaitForPopupMenu(program.Id());
                ASSERT_NE(trayMenu, nullptr);
                RECT area;
                if (NotificationArea(area)) {
                    RECT menuRect, touching;
                    GetWindowRect(trayMenu, &menuRect);
                    InflateRect(&menuRect, 1, 1);
                    EXPECT_TRUE(IntersectRect(&touching, &menuRect, &area))
                        << "the menu at " << menuRect.left + 1 << "," << menuRect.top + 1 << " - "
                        << menuRect.right - 1 << "," << menuRect.bottom - 1 << ", the notification area at "
                        << area.left << "," << area.top << " - " << area.right << "," << area.bottom;
                } else {
                    std::printf("No shell's taskbar here: where the tray menu opens is not checked.\n");
                }
                Key(form, VK_DOWN);  // "Obnovit"
                Key(form, VK_RETURN);
                ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form) && !IsIconic(form); }))
                    << "back from the tray";
                EXPECT_TRUE(WaitUntil([&] { return FocusOf(form) == focused; })) << "the keys back where they were";
            }},
        {"an apply started with Space: the consoles come and go without taking the keyboard; the chooser asks "
         "with the keys in its list, offering the connection just applied, and Enter alone finishes",
            [&] {
                SetField(window.ip, "192.168.1.10");
                SetField(window.mask, "255.255.255.0");
                Key(form, VK_TAB, {VK_SHIFT});
                for (int presses = 0; presses < 12 && FocusOf(form) != window.apply && FocusOf(form); ++presses)
                    Key(form, VK_TAB);
                ASSERT_EQ(FocusOf(form), window.apply);
                Key(form, VK_SPACE);
                std::set<std::string> foreign;  // what had the keyboard instead, meanwhile
                ASSERT_TRUE(WaitUntil(
                    [&] {
                        HWND front = GetForegroundWindow();
                        DWORD owner = 0;
                        GetWindowThreadProcessId(front, &owner);
                        if (owner != program.Id())
                            foreign.insert(front ? ClassName(front) + " \"" + Text(front) + "\"" : "no window");
                        return IsWindowVisible(chooser) && Enabled(chooser) && folder.Journal().back() == kReportCommand;
                    },
                    60s));
                for (const std::string& what : foreign)
                    ADD_FAILURE() << "while the commands ran, the keyboard went to " << what;
                EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == chooser && FocusOf(chooser) == list; }))
                    << "the chooser asks with the keyboard in its list; in front: "
                    << ClassName(GetForegroundWindow());
                EXPECT_EQ(ListSelection(list), 1) << "the connection just applied is offered";
                Key(chooser, VK_RETURN);
                ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }))
                    << "Enter alone chose";
                EXPECT_EQ(Text(window.connectionName), "LAN");
                EXPECT_TRUE(
                    WaitUntil([&] { return GetForegroundWindow() == form && FocusOf(form) == window.apply; }))
                    << "in front: " << ClassName(GetForegroundWindow()) << ", the keys in "
                    << ClassName(FocusOf(form));
            }},
        {"Enter on the apply button the apply gave the keys back to",
            [&] {
                ASSERT_EQ(FocusOf(form), window.apply);
                EXPECT_TRUE(answersEnter()) << "as the default button";
                enterRefusesAWrongAddress();
                Key(form, VK_TAB, {VK_SHIFT});
                Key(form, VK_TAB, {VK_SHIFT});
                ASSERT_EQ(FocusOf(form), window.apply);
                Key(form, VK_TAB);
                EXPECT_EQ(FocusOf(form), window.manual) << "Tab moves on from the apply button";
            }},
        {"Alt+F4",
            [&] {
                Key(form, VK_F4, {VK_MENU});
                EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "Alt+F4";
            }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        Step(step.what);
        step.run();
    }
}

// Every menu has access keys, one letter per item and unique within the
// menu: each letter chooses its own item, whatever the others are. Alt+S and
// Alt+N open the menu bar's menus.
TEST_F(TamarkoTest, EveryMenuItemHasAnAccessKeyOfItsOwn)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string file = folder.File("doma.dat");
    WriteFileBytes(file, kDoma);
    const std::string shortcut = DesktopFolder() + "\\doma.lnk";
    DeleteFileA(shortcut.c_str());
    // The first quick button bound, every item of its menu usable.
    const std::string ini = "[RychleIkony]\r\nBut1=" + file + "\r\nMenuItem1=1\r\nMenuItem2=1\r\nMenuItem4=1\r\n";
    WriteFileBytes(folder.IniPath(), ini);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);

    const char kOpenTitle[] = "Otevřít nastavení sítě";
    const char kSaveTitle[] = "Uložit nastavení sítě";
    const auto dialogShown = [&](const char* title) {
        return [&, title] {
            HWND dialog = WaitForTopWindow(program.Id(), "#32770", title);
            if (!dialog)
                return false;
            Key(dialog, VK_ESCAPE);
            return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }) && Responds(form);
        };
    };
    const auto aboutShown = [&] {
        HWND about = WaitForTopWindow(program.Id(), "TAutor");
        if (!about)
            return false;
        Key(about, VK_ESCAPE);
        return WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); });
    };
    const auto fileMenu = [&] { Key(form, 'S', {VK_MENU}); };
    const auto helpMenu = [&] { Key(form, 'N', {VK_MENU}); };
    const auto trayMenu = [&] {
        Step("the tray menu");
        PostMessageA(form, WM_USER + 1, 1, WM_RBUTTONDOWN);
    };
    const auto quickMenu = [&] { Key(form, '1', {VK_CONTROL, VK_SHIFT}); };
    const std::function<bool()> intoTheTray = [&] {
        PostMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return WaitUntil([&] { return !IsWindowVisible(form); });
    };
    const struct {
        const char* menu;
        std::function<void()> open;
        char letter;
        const char* item;
        std::function<bool()> done;  // whether the item's command ran; undoes what it can
        std::function<bool()> before = nullptr;
    } rows[] = {
        {"Soubor", fileMenu, 'O', "Otevřít", dialogShown(kOpenTitle)},
        {"Soubor", fileMenu, 'U', "Uložit", dialogShown(kSaveTitle)},
        {"Nápověda", helpMenu, 'O', "O programu", aboutShown},
        {"the tray menu", trayMenu, 'O', "Obnovit",
            [&] { return WaitUntil([&] { return IsWindowVisible(form) != FALSE; }); }, intoTheTray},
        {"the tray menu", trayMenu, 'T', "Otevřít", dialogShown(kOpenTitle)},
        {"the tray menu", trayMenu, 'U', "Uložit", dialogShown(kSaveTitle)},
        {"the tray menu", trayMenu, 'P', "O programu", aboutShown},
        {"the quick button's menu", quickMenu, 'V', "Vytvořit zástupce na ploše",
            [&] { return WaitUntil([&] { return FileExists(shortcut); }) && DeleteFileA(shortcut.c_str()); }},
        {"the quick button's menu", quickMenu, 'S', "Smazat přiřazení",
            [&] {
                return WaitUntil(
                    [&] { return Text(FindControl(window.toolBar, 88, 2)) == QuickButtonName(0, "není přiřazeno"); });
            }},
        {"the quick button's menu", quickMenu, 'P', "Přiřadit DAT soubor", dialogShown(kOpenTitle)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.menu) + ", " + row.letter + ": " + row.item);
        if (row.before) {
            ASSERT_TRUE(row.before());
        }
        row.open();
        HWND menu = WaitForPopupMenu(program.Id());
        ASSERT_NE(menu, nullptr) << "the menu opens";
        Key(form, static_cast<WORD>(row.letter));
        EXPECT_TRUE(row.done()) << "the letter chose its item";
        if (IsWindowVisible(menu)) {
            Key(form, VK_ESCAPE);
            Key(form, VK_ESCAPE);
        }
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
    }

    // The items that end the program, each in a run of its own.
    const struct {
        const char* menu;
        std::function<void()> open;
        char letter;
        const char* item;
    } ends[] = {{"Soubor", fileMenu, 'Z', "Zavřít"}, {"the tray menu", trayMenu, 'K', "Ukončit"}};
    for (const auto& end : ends) {
        SCOPED_TRACE(std::string(end.menu) + ", " + end.letter + ": " + end.item);
        if (!program.Running()) {
            form = StartFilled();
            ASSERT_NE(form, nullptr);
        }
        end.open();
        ASSERT_NE(WaitForPopupMenu(program.Id()), nullptr) << "the menu opens";
        Key(form, static_cast<WORD>(end.letter));
        EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the letter ended the program";
    }
}
