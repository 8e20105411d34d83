// The five quick buttons: binding a settings file through the button's
// menu, loading it with a click, clearing the binding, the desktop shortcut,
// and what the program INI file keeps of them between runs.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;

namespace {

const NetConnection kLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};
const char kUnbound[] = "není přiřazeno";  // after the button's name
const char kNotBoundMessage[] = "Nejprve je třeba, abyste pomocí pravého tlačítka myši přiřadili tomuto tlačítku "
                                "konkrétní soubor DAT s Vaším nastavením.";
const char kOpenTitle[] = "Otevřít nastavení sítě";
const char kKancelar[] = "[Nastavení]\r\nIP=192.168.5.5\r\nmaska=255.255.255.0\r\nbrana=192.168.5.1\r\n"
                         "dns=192.168.5.1\r\nrucne=1\r\nauto=0\r\n";
const char kDoma[] = "[Nastavení]\r\nIP=10.0.0.7\r\nmaska=255.0.0.0\r\nrucne=1\r\nauto=0\r\n";

// The menu items, separators not counted.
enum MenuRow { kBind, kClear, kShortcut };
const std::vector<bool> kUnboundMenu{true, false, false};
const std::vector<bool> kBoundMenu{false, true, true};

HWND QuickButton(const MainWindow& window, int slot)
{
    return FindControl(window.toolBar, 88 + 24 * slot, 2);
}

// The slot's menu as a right click on its button opens it on Windows: the
// form is told which button was clicked. (Wine 8 names the tool bar
// instead; RightClickOnAQuickButtonOpensItsMenu covers that path.)
HWND OpenSlotMenu(const MainWindow& window, int slot)
{
    BringToFront(window.form);
    // Away from the tool bar, so that no tooltip covers the menu.
    MoveMouseSurely(window.statusBar, 150, 9);
    HWND button = QuickButton(window, slot);
    RECT rect;
    GetWindowRect(button, &rect);
    PostMessageA(window.form, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(button), MAKELPARAM(rect.left, rect.bottom));
    DWORD processId = 0;
    GetWindowThreadProcessId(window.form, &processId);
    return WaitForPopupMenu(processId);
}

std::vector<bool> SlotMenu(const MainWindow& window, int slot)
{
    HWND menu = OpenSlotMenu(window, slot);
    if (!menu)
        return {};
    const std::vector<bool> items = MenuItemsEnabled(menu);
    PressKey(VK_ESCAPE);
    WaitUntil([&] { return !IsWindowVisible(menu); }, 20s);
    return items;
}

void ChooseSlotItem(const MainWindow& window, int slot, MenuRow row)
{
    HWND menu = OpenSlotMenu(window, slot);
    ASSERT_NE(menu, nullptr) << "the menu of slot " << slot + 1 << " did not open";
    ChooseMenuItem(menu, row);
    ASSERT_TRUE(Responds(window.form));
}

// The program INI file line by line, blank lines left out.
std::vector<std::string> IniLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::string text = ReadFileBytes(path);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The lines of one section, without its header.
std::vector<std::string> IniSection(const std::string& path, const std::string& section)
{
    std::vector<std::string> lines;
    bool inside = false;
    for (const std::string& line : IniLines(path)) {
        if (!line.empty() && line.front() == '[')
            inside = line == "[" + section + "]";
        else if (inside)
            lines.push_back(line);
    }
    return lines;
}

// Section "RychleIkony" as the program writes it: the five paths, then the
// fifteen flags (bind, clear, shortcut of each slot).
std::vector<std::string> QuickButtonKeys(
    const std::vector<std::string>& paths, const std::vector<std::vector<bool>>& flags)
{
    std::vector<std::string> lines;
    for (int slot = 0; slot < 5; ++slot)
        lines.push_back("But" + std::to_string(slot + 1) + "=" + paths[slot]);
    for (int slot = 0; slot < 5; ++slot) {
        const int numbers[] = {1 + 4 * slot, 2 + 4 * slot, 4 + 4 * slot};
        for (int i = 0; i < 3; ++i)
            lines.push_back("MenuItem" + std::to_string(numbers[i]) + "=" + (flags[slot][i] ? "1" : "0"));
    }
    return lines;
}

// The same lines by key. A key the file held already keeps its place, and
// only new keys are appended: in a file written by hand the values count,
// not the order.
std::map<std::string, std::string> ByKey(const std::vector<std::string>& lines)
{
    std::map<std::string, std::string> values;
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        values[line.substr(0, equals)] = equals == std::string::npos ? std::string("(no =)") : line.substr(equals + 1);
    }
    return values;
}

std::vector<std::vector<bool>> AllUnbound()
{
    return std::vector<std::vector<bool>>(5, kUnboundMenu);
}

// Files the test may leave on the shared desktop, removed before and after.
class DesktopFiles {
public:
    explicit DesktopFiles(std::vector<std::string> paths)
        : paths_(std::move(paths))
    {
        Remove();
    }
    ~DesktopFiles() { Remove(); }
    DesktopFiles(const DesktopFiles&) = delete;
    DesktopFiles& operator=(const DesktopFiles&) = delete;

private:
    void Remove() const
    {
        for (const std::string& path : paths_)
            DeleteFileA(path.c_str());
    }
    std::vector<std::string> paths_;
};

// Wine turns every shortcut put on the desktop into a launcher on the
// host's own desktop (winemenubuilder); a test has no business there. The
// helper is switched off for the prefix while the test runs.
class HostLaunchersOff {
public:
    HostLaunchersOff()
    {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr)
            != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        char value[64] = {};
        DWORD size = sizeof value;
        had_
            = RegQueryValueExA(key_, kHelper, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
        previous_ = value;
        RegSetValueExA(key_, kHelper, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    }
    ~HostLaunchersOff()
    {
        if (!key_)
            return;
        if (had_)
            RegSetValueExA(key_, kHelper, 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_.c_str()),
                static_cast<DWORD>(previous_.size() + 1));
        else
            RegDeleteValueA(key_, kHelper);
        RegCloseKey(key_);
    }
    HostLaunchersOff(const HostLaunchersOff&) = delete;
    HostLaunchersOff& operator=(const HostLaunchersOff&) = delete;

private:
    static constexpr const char* kOverrides = "Software\\Wine\\DllOverrides";
    static constexpr const char* kHelper = "winemenubuilder.exe";
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string previous_;
};

void ExpectFields(const MainWindow& window, const char* ip, const char* mask, const std::string& what)
{
    EXPECT_EQ(Text(window.ip), ip) << what;
    EXPECT_EQ(Text(window.mask), mask) << what;
    EXPECT_TRUE(Checked(window.manual)) << what;
}

}  // namespace

TEST_F(TamarkoTest, WithoutAnIniFileEverySlotIsUnboundAndSaysSo)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string strayShortcut = DesktopFolder() + "\\.lnk";
    const HostLaunchersOff launchersOff;
    const DesktopFiles cleanup({strayShortcut});
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));

    for (int slot = 0; slot < 5; ++slot) {
        HWND button = QuickButton(window, slot);
        ASSERT_NE(button, nullptr) << "slot " << slot + 1;
        EXPECT_EQ(Text(button), QuickButtonName(slot, kUnbound)) << "slot " << slot + 1;
        EXPECT_EQ(SlotMenu(window, slot), kUnboundMenu) << "slot " << slot + 1;

        BringToFront(form);
        ASSERT_TRUE(ClickSurely(button, 11, 11));
        const auto box = WaitForMessageBox(program.Id());
        ASSERT_TRUE(box.has_value()) << "slot " << slot + 1;
        EXPECT_EQ(box->caption, "Tamarko");
        EXPECT_EQ(box->text, kNotBoundMessage);
        PressButton(box->window);
    }
    EXPECT_EQ(Text(window.ip), kLan.ip) << "the fields stay";

    // The greyed items do nothing.
    ChooseSlotItem(window, 0, kClear);
    ChooseSlotItem(window, 0, kShortcut);
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    EXPECT_FALSE(FileExists(strayShortcut));
    EXPECT_EQ(Text(QuickButton(window, 0)), QuickButtonName(0, kUnbound));

    RECT placement;
    GetWindowRect(form, &placement);
    CloseAndWait(form);
    std::vector<std::string> expected = {
        "[Nastavení]",
        "Left=100",
        "Top=100",
        "Height=" + std::to_string(placement.bottom - placement.top),
        "Width=" + std::to_string(placement.right - placement.left),
        "[RychleIkony]",
    };
    for (const std::string& line : QuickButtonKeys({"", "", "", "", ""}, AllUnbound()))
        expected.push_back(line);
    EXPECT_EQ(IniLines(folder.IniPath()), expected);
}

TEST_F(TamarkoTest, RightClickOnAQuickButtonOpensItsMenu)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    HWND button = QuickButton(window, 2);
    BringToFront(form);
    ASSERT_TRUE(MoveMouseSurely(button, 11, 11));
    Click(button, 11, 11, true);
    HWND menu = WaitForPopupMenu(program.Id(), 20s);
    ASSERT_NE(menu, nullptr) << "no menu after a right click on the quick button";

    // It is the slot's menu: its first item binds. Cancelling the dialog
    // changes nothing.
    ChooseMenuItem(menu, kBind);
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", kOpenTitle);
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(Responds(form));
    EXPECT_EQ(Text(button), QuickButtonName(2, kUnbound));
    EXPECT_EQ(SlotMenu(window, 2), kUnboundMenu);
    CloseAndWait(form);
}

TEST_F(TamarkoTest, AnAmpersandInABoundFileNameMakesNoKeyThatLoadsIt)
{
    // The hint "R&D" would make D a key of the button: with a radio button
    // focused, a plain D, or Alt+D anywhere.
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string file = folder.File("R&D.dat");
    WriteFileBytes(file, kKancelar);
    WriteFileBytes(folder.IniPath(), "[RychleIkony]\r\nBut1=" + file + "\r\nMenuItem1=0\r\nMenuItem2=1\r\n");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    BringToFront(form);
    ASSERT_TRUE(ClickSurely(window.manual, 6, 8));  // already chosen: only the focus moves
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(form) == window.manual; }));
    PressKey('D');
    PressKey('D', {VK_MENU});
    // Keys are handled in order: once Tab has moved the focus, D and Alt+D
    // have been handled too.
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(form) != window.manual; }));
    EXPECT_EQ(Text(window.ip), kLan.ip) << "a key loaded the file";
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 0ms));

    ASSERT_TRUE(ClickSurely(QuickButton(window, 0), 11, 11));
    ASSERT_TRUE(Responds(form));
    ExpectFields(window, "192.168.5.5", "255.255.255.0", "a click loads it");
    CloseAndWait(form);
}

TEST_F(TamarkoTest, BoundSlotShowsTheFileNameLoadsItAndSurvivesARestart)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    // With a space in the path, as under "Documents and Settings": the
    // shortcut's argument holds together only in its quotes.
    CreateDirectoryA(folder.File("Moje profily").c_str(), nullptr);
    const std::string kancelar = folder.File("Moje profily\\Kancelar.dat");
    WriteFileBytes(kancelar, kKancelar);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    MainWindow window(form);

    ChooseSlotItem(window, 2, kBind);
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", kOpenTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, kancelar));
    ASSERT_TRUE(Responds(form));
    EXPECT_EQ(Text(QuickButton(window, 2)), QuickButtonName(2, "Kancelar"));
    EXPECT_EQ(Text(window.ip), kLan.ip) << "binding does not load";
    EXPECT_EQ(SlotMenu(window, 2), kBoundMenu);
    for (int other : {0, 1, 3, 4})
        EXPECT_EQ(Text(QuickButton(window, other)), QuickButtonName(other, kUnbound));

    // Binding again takes clearing first: the greyed item does nothing.
    ChooseSlotItem(window, 2, kBind);
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 500ms)) << "no dialog";

    BringToFront(form);
    ASSERT_TRUE(ClickSurely(QuickButton(window, 2), 11, 11));
    ASSERT_TRUE(Responds(form));
    ExpectFields(window, "192.168.5.5", "255.255.255.0", "a click loads the file");
    EXPECT_TRUE(window.PaintedIn(window.ip, GetSysColor(COLOR_WINDOW)));

    const std::vector<std::string> keys = QuickButtonKeys(
        {"", "", kancelar, "", ""}, {kUnboundMenu, kUnboundMenu, kBoundMenu, kUnboundMenu, kUnboundMenu});
    CloseAndWait(form);
    EXPECT_EQ(IniSection(folder.IniPath(), "RychleIkony"), keys);

    form = StartFilled();
    ASSERT_NE(form, nullptr);
    window = MainWindow(form);
    EXPECT_EQ(Text(QuickButton(window, 2)), QuickButtonName(2, "Kancelar")) << "after a restart";
    EXPECT_EQ(SlotMenu(window, 2), kBoundMenu);
    EXPECT_EQ(Text(window.ip), kLan.ip);
    BringToFront(form);
    ASSERT_TRUE(ClickSurely(QuickButton(window, 2), 11, 11));
    ASSERT_TRUE(Responds(form));
    ExpectFields(window, "192.168.5.5", "255.255.255.0", "a click after the restart");

    // With the file gone, a click says so and the binding stays.
    DeleteFileA(kancelar.c_str());
    SetField(window.ip, kLan.ip);
    BringToFront(form);
    // Off the last click's point: two clicks there in quick succession
    // would make a double click, which the button does not count.
    ASSERT_TRUE(ClickSurely(QuickButton(window, 2), 5, 5));
    const auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Tamarko");
    EXPECT_EQ(box->text, "Soubor " + kancelar + " nebyl nalezen.");
    PressButton(box->window);
    EXPECT_EQ(Text(window.ip), kLan.ip) << "no field changes";
    EXPECT_EQ(Text(QuickButton(window, 2)), QuickButtonName(2, "Kancelar"));
    CloseAndWait(form);
    EXPECT_EQ(IniSection(folder.IniPath(), "RychleIkony"), keys);
}

TEST_F(TamarkoTest, StoredMenuStatesAreRestoredAsTheyAreNotFromThePath)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string doma = folder.File("Doma.dat");
    const std::string kancelar = folder.File("Kancelar.dat");
    WriteFileBytes(doma, kDoma);
    WriteFileBytes(kancelar, kKancelar);
    WriteFileBytes(folder.IniPath(), "[RychleIkony]\r\nBut2=" + doma + "\r\nMenuItem5=1\r\nMenuItem6=0\r\n");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    MainWindow window(form);

    // Bound by its path: the hint and the click follow it.
    EXPECT_EQ(Text(QuickButton(window, 1)), QuickButtonName(1, "Doma"));
    BringToFront(form);
    ASSERT_TRUE(ClickSurely(QuickButton(window, 1), 11, 11));
    ASSERT_TRUE(Responds(form));
    ExpectFields(window, "10.0.0.7", "255.0.0.0", "the stored path loads");
    // The menu offers binding, not clearing, as stored.
    EXPECT_EQ(SlotMenu(window, 1), kUnboundMenu);
    ChooseSlotItem(window, 1, kClear);
    EXPECT_EQ(Text(QuickButton(window, 1)), QuickButtonName(1, "Doma")) << "the greyed clear does nothing";
    CloseAndWait(form);
    EXPECT_EQ(ByKey(IniSection(folder.IniPath(), "RychleIkony")),
        ByKey(QuickButtonKeys({"", doma, "", "", ""}, AllUnbound())));

    // Binding works without clearing first, and replaces the path.
    form = StartFilled();
    ASSERT_NE(form, nullptr);
    window = MainWindow(form);
    ChooseSlotItem(window, 1, kBind);
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", kOpenTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, kancelar));
    ASSERT_TRUE(Responds(form));
    EXPECT_EQ(Text(QuickButton(window, 1)), QuickButtonName(1, "Kancelar"));
    EXPECT_EQ(SlotMenu(window, 1), kBoundMenu);
    CloseAndWait(form);
    EXPECT_EQ(ByKey(IniSection(folder.IniPath(), "RychleIkony")),
        ByKey(QuickButtonKeys(
            {"", kancelar, "", "", ""}, {kUnboundMenu, kBoundMenu, kUnboundMenu, kUnboundMenu, kUnboundMenu})));
}

TEST_F(TamarkoTest, DesktopShortcutStartsTheProgramWithTheBoundFile)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    // With a space in the path, as under "Documents and Settings": the
    // shortcut's argument holds together only in its quotes.
    CreateDirectoryA(folder.File("Moje profily").c_str(), nullptr);
    const std::string kancelar = folder.File("Moje profily\\Kancelar.dat");
    WriteFileBytes(kancelar, kKancelar);
    const std::string desktop = DesktopFolder();
    ASSERT_FALSE(desktop.empty());
    const std::string shortcut = desktop + "\\Kancelar.lnk";
    const std::string unnamed = desktop + "\\.lnk";
    const HostLaunchersOff launchersOff;
    const DesktopFiles cleanup({shortcut, unnamed});
    // Slot 3 bound; slot 4 unbound, yet its shortcut command enabled by hand.
    WriteFileBytes(folder.IniPath(),
        "[RychleIkony]\r\nBut3=" + kancelar + "\r\nMenuItem9=0\r\nMenuItem10=1\r\nMenuItem12=1\r\nMenuItem16=1\r\n");
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));

    ChooseSlotItem(window, 2, kShortcut);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(shortcut); }, 20s)) << shortcut;
    const auto link = ReadShortcut(shortcut);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->target, folder.File("tamarko.exe"));
    EXPECT_EQ(link->arguments, "\"" + kancelar + "\"");
    EXPECT_EQ(link->workingFolder, "");
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 200ms)) << "no word after a success";

    ChooseSlotItem(window, 3, kShortcut);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(unnamed); }, 20s)) << "an empty path names the shortcut .lnk";
    const auto empty = ReadShortcut(unnamed);
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->arguments, "\"\"");

    // The same shortcut again is made anew without a word. One of that name
    // that starts another file is the user's: replaced only when the user
    // says so, with Ne the default and Storno to leave the question.
    ChooseSlotItem(window, 2, kShortcut);
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 200ms)) << "the same shortcut again";
    for (const int answer : {IDNO, IDCANCEL, IDYES}) {
        ASSERT_TRUE(CopyFileA(unnamed.c_str(), shortcut.c_str(), FALSE));
        ChooseSlotItem(window, 2, kShortcut);
        const auto box = WaitForMessageBox(program.Id());
        ASSERT_TRUE(box.has_value()) << "answer " << answer;
        EXPECT_EQ(box->text, "Soubor " + shortcut + " již existuje. Chcete jej nahradit?");
        EXPECT_NE(GetDlgItem(box->window, IDCANCEL), nullptr) << "Storno";
        EXPECT_EQ(FocusOf(box->window), GetDlgItem(box->window, IDNO)) << "Ne by default";
        PressButton(box->window, answer);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->window); }));
        ASSERT_TRUE(Responds(form));
        const auto replaced = ReadShortcut(shortcut);
        ASSERT_TRUE(replaced.has_value());
        EXPECT_EQ(replaced->arguments, answer == IDYES ? "\"" + kancelar + "\"" : "\"\"") << "answer " << answer;
    }

    // Clearing the slot leaves its shortcut.
    ChooseSlotItem(window, 2, kClear);
    EXPECT_EQ(Text(QuickButton(window, 2)), QuickButtonName(2, kUnbound));
    EXPECT_EQ(SlotMenu(window, 2), kUnboundMenu);
    EXPECT_TRUE(FileExists(shortcut));

    // Started from the shortcut while the program runs, the new instance
    // gives way at once and the running one loads nothing.
    {
        Process second(link->target, link->arguments, folder.Path());
        EXPECT_TRUE(second.WaitForExit(20s).has_value()) << "the second instance kept running";
        EXPECT_EQ(FindTopWindow(second.Id(), "TForm1"), nullptr);
    }
    ASSERT_TRUE(Responds(form));
    EXPECT_EQ(Text(window.ip), kLan.ip);
    CloseAndWait(form);

    // Alone, the shortcut's program shows the file once a connection is chosen.
    program = Process(link->target, link->arguments, folder.Path(), {}, Recording::On);
    HWND started = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
    ASSERT_NE(started, nullptr);
    const MainWindow fromShortcut(started);
    ASSERT_TRUE(WaitUntil([&] { return Text(fromShortcut.statusBar) == kStateLegend; }));
    ASSERT_TRUE(Responds(started));
    ExpectFields(fromShortcut, "192.168.5.5", "255.255.255.0", "started from the shortcut");
    CloseAndWait(started);
}

TEST_F(TamarkoTest, DamagedProgramIniGivesTheDefaults)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    std::string noise(64 * 1024, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 11);
    std::string huge = "[Jiné]\r\n";
    for (int i = 0; huge.size() < 10 * 1024 * 1024; ++i)
        huge += "radek" + std::to_string(i) + "=" + std::string(100, 'x') + "\r\n";
    const std::string longPath = "C:\\" + std::string(3000, 'p') + ".dat";

    const struct {
        const char* what;
        std::string ini;
        std::vector<std::string> hints;
        std::vector<std::string> paths;  // as written back at close
        std::vector<std::vector<bool>> flags;
    } cases[] = {
        {"binary garbage", noise, std::vector<std::string>(5, kUnbound), {"", "", "", "", ""}, AllUnbound()},
        {"10 MB", huge, std::vector<std::string>(5, kUnbound), {"", "", "", "", ""}, AllUnbound()},
        {"values of the wrong kind",
            "[RychleIkony]\r\nBut1=" + longPath
                + "\r\nBut3=x.dat\r\nBut4=D:\\Profily\\Kancelar\r\nBut5=C:\\Site\\Doma.txt\r\n"
                  "MenuItem1=abc\r\nMenuItem2=yes\r\nMenuItem4=0x1\r\nMenuItem5=-1\r\nMenuItem6=\r\n"
                  "MenuItem8=99999999999\r\n",
            // A path is cut at 2047 characters; the hint drops its last four
            // characters, whatever they are.
            {std::string(2047 - 3 - 4, 'p'), kUnbound, "x", "Kanc", "Doma"},
            {longPath.substr(0, 2047), "", "x.dat", "D:\\Profily\\Kancelar", "C:\\Site\\Doma.txt"},
            {{true, false, true}, {true, false, false}, kUnboundMenu, kUnboundMenu, kUnboundMenu}},
    };
    for (const auto& c : cases) {
        WriteFileBytes(folder.IniPath(), c.ini);
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr) << c.what;
        const MainWindow window(form);
        for (int slot = 0; slot < 5; ++slot)
            EXPECT_EQ(Text(QuickButton(window, slot)), QuickButtonName(slot, c.hints[slot]))
                << c.what << ", slot " << slot + 1;
        CloseAndWait(form);
        EXPECT_EQ(ByKey(IniSection(folder.IniPath(), "RychleIkony")), ByKey(QuickButtonKeys(c.paths, c.flags)))
            << c.what;
    }
}
