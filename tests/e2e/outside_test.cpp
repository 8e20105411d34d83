// Faults made from outside the program: a file another program holds open,
// a program killed in the middle of a save, a command that never ends, two
// starts at the same moment, a desktop that takes no shortcut. What the user
// had is never taken for nothing, and the program can always be ended.
#include "tests/e2e/e2e_fixture.h"

#include <random>

using namespace e2e;

namespace {

const NetConnection kLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};
const char kOpenTitle[] = "Otevřít nastavení sítě";
const char kSaveTitle[] = "Uložit nastavení sítě";
const char kDoma[] = "[Nastavení]\r\nIP=10.0.0.7\r\nmaska=255.0.0.0\r\nrucne=1\r\nauto=0\r\nproxy=1\r\n"
                     "proxyIP=10.0.0.8\r\nproxyPort=3128\r\n";
const char kCannotRead[] = " nelze přečíst";

// Another program's hold on a file, without sharing, for the holder's life.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path)
        : handle_(CreateFileA(
            path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << "cannot hold " << path;
    }
    ~HeldOpen() { Release(); }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    void Release()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
    }

private:
    HANDLE handle_;
};

// A box of the program's: its text, once it is confirmed.
std::string ConfirmBox(DWORD processId, int button = IDOK)
{
    const auto box = WaitForMessageBox(processId);
    if (!box) {
        ADD_FAILURE() << "no message box";
        return {};
    }
    EXPECT_EQ(box->caption, "Tamarko");
    PressButton(box->window, button);
    return box->text;
}

// The fields a settings file fills, as the window shows them.
std::vector<std::string> Fields(const MainWindow& window)
{
    return {Text(window.ip), Text(window.mask), Text(window.gateway), Text(window.dns), Text(window.dns2),
        Checked(window.manual) ? "ručně" : "-", Checked(window.automatic) ? "automaticky" : "-",
        Checked(window.proxy) ? "proxy" : "-", Text(window.proxyAddress), Text(window.proxyPort)};
}

// The files of the folder that are neither the program's own nor the test's.
std::vector<std::string> StrayFiles(const ProgramFolder& folder, std::initializer_list<const char*> known)
{
    std::vector<std::string> stray;
    for (const std::string& name : FileNames(folder.File("*"))) {
        bool expected = name.rfind("recorder-", 0) == 0;
        for (const char* file : {"tamarko.exe", "netsh.exe", "ipconfig.exe", "netsim-state.txt", "netsim-journal.txt"})
            expected = expected || lstrcmpiA(name.c_str(), file) == 0;
        for (const char* file : known)
            expected = expected || lstrcmpiA(name.c_str(), file) == 0;
        if (!expected)
            stray.push_back(name);
    }
    return stray;
}

// The save command with `path` typed into its dialog and confirmed; the
// dialog, or nullptr when it did not open.
HWND SaveAs(DWORD processId, HWND form, const std::string& path)
{
    PostCommand(form, cmSave);
    HWND dialog = WaitForTopWindow(processId, "#32770", kSaveTitle);
    HWND edit = dialog ? FileNameEdit(dialog) : nullptr;
    if (!edit)
        return nullptr;
    Step("saving as " + path);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    for (HWND child : Children(dialog)) {
        if (GetDlgCtrlID(child) == IDOK && ClassName(child) == "Button")
            PostMessageA(child, BM_CLICK, 0, 0);
    }
    return dialog;
}

// Answers the save dialog's question whether to replace the file with yes,
// and notes the text of any other box as it confirms it.
void AnswerBoxes(DWORD processId, HWND dialog, std::vector<std::string>& boxes)
{
    HWND box = FindTopWindow(processId, "#32770");
    if (!box || box == dialog)
        return;
    if (GetDlgItem(box, IDYES)) {
        PressButton(box, IDYES);
    } else {
        boxes.push_back(MessageBoxText(box));
        PressButton(box);
    }
}

// Saves the window's fields over `path` as a user does, answering the boxes
// on the way (`boxes`: the texts of any but the replace question); true once
// the save is over and the file holds the session's address.
bool SaveOver(DWORD processId, HWND form, const std::string& path, std::vector<std::string>& boxes)
{
    HWND dialog = SaveAs(processId, form, path);
    if (!dialog) {
        ADD_FAILURE() << "the save dialog did not open";
        return false;
    }
    bool saved = false;
    WaitUntil(
        [&] {
            AnswerBoxes(processId, dialog, boxes);
            const bool over = !IsWindow(dialog) && Responds(form) && !FindTopWindow(processId, "#32770");
            // Read once the save is over: a reader that holds the file while
            // it is replaced makes the save wait.
            saved = over && ReadFileBytes(path).find("IP=192.168.1.10\r\n") != std::string::npos;
            return saved || (over && !boxes.empty());
        },
        60s);
    return saved;
}

// A click on a quick button, as the tool bar tells the window of it.
void ClickQuickButton(const MainWindow& window, int slot)
{
    HWND button = FindControl(window.toolBar, 88 + 24 * slot, 2);
    Step("click on the quick button " + std::to_string(slot + 1));
    PostMessageA(
        window.toolBar, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

std::string RandomBytes(std::size_t size)
{
    std::mt19937 random(20261208);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

}  // namespace

// A settings file that another program holds open is not an empty one: the
// open command, a quick button and the command line say that it cannot be
// read, name it, and leave the fields as they were.
TEST_F(TamarkoTest, ASettingsFileThatCannotBeReadChangesNoField)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string doma = folder.File("doma.dat");
    WriteFileBytes(doma, kDoma);
    WriteFileBytes(folder.IniPath(), "[RychleIkony]\r\nBut1=" + doma + "\r\nMenuItem1=0\r\nMenuItem2=1\r\n");
    HeldOpen held(doma);

    program = StartTamarko(folder, "\"" + doma + "\"");
    HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    EXPECT_EQ(ConfirmBox(program.Id()).find("Soubor " + doma + kCannotRead), 0u) << "the command line's file";
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }));
    const std::vector<std::string> system = Fields(window);
    EXPECT_EQ(system[0], kLan.ip) << "the fields show the system, not a file read as empty";

    SetField(window.ip, "192.168.1.77");
    const std::vector<std::string> typed = Fields(window);
    ClickQuickButton(window, 0);
    const std::string quickBox = ConfirmBox(program.Id());
    EXPECT_EQ(quickBox.find("Soubor " + doma + kCannotRead), 0u) << "the quick button's file: " << quickBox;
    ASSERT_TRUE(Responds(form));
    EXPECT_EQ(Fields(window), typed) << "what the user typed stays";

    PostCommand(form, cmOpen);
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", kOpenTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, doma));
    EXPECT_EQ(ConfirmBox(program.Id()).find("Soubor " + doma + kCannotRead), 0u) << "the open command's file";
    ASSERT_TRUE(Responds(form));
    EXPECT_EQ(Fields(window), typed);

    held.Release();
    PostCommand(form, cmOpen);
    dialog = WaitForTopWindow(program.Id(), "#32770", kOpenTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, doma));
    EXPECT_TRUE(WaitUntil([&] { return Text(window.ip) == "10.0.0.7" && Text(window.proxyPort) == "3128"; }))
        << "once free, the file loads";
    CloseAndWait(form);
}

// A program INI file that exists but cannot be read at the start is said
// so; the window starts as if it had none, and the close keeps what the file
// holds, adding only what the user changed.
TEST_F(TamarkoTest, AProgramIniUnreadableAtTheStartIsNotOverwrittenAtTheClose)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string doma = folder.File("doma.dat");
    WriteFileBytes(doma, kDoma);
    const std::string ini = "[Nastavení]\r\nLeft=120\r\nTop=110\r\n[RychleIkony]\r\nBut1=C:\\a\\kancelar.dat\r\n"
                            "But2=C:\\a\\doma.dat\r\nMenuItem1=0\r\nMenuItem2=1\r\nMenuItem4=1\r\nMenuItem5=0\r\n"
                            "MenuItem6=1\r\nMenuItem8=1\r\n[Jiné]\r\nponechat=ano\r\n";
    WriteFileBytes(folder.IniPath(), ini);
    auto held = std::make_unique<HeldOpen>(folder.IniPath());
    program = StartTamarko(folder);
    const std::string box = ConfirmBox(program.Id());
    EXPECT_NE(box.find(folder.IniPath() + kCannotRead), std::string::npos) << box;
    held.reset();
    HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }));
    RECT placed;
    GetWindowRect(form, &placed);
    EXPECT_EQ(placed.left, 100) << "the defaults, as without a file";

    // The user binds the third slot; nothing else changes.
    PostCommand(form, QuickSlotCommand(2, qiBind));
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", kOpenTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, doma));
    ASSERT_TRUE(WaitUntil([&] { return Text(FindControl(window.toolBar, 136, 2)).find("doma") != std::string::npos; }));
    CloseAndWait(form);

    const std::string after = ReadFileBytes(folder.IniPath());
    for (const char* kept : {"Left=120\r\n", "Top=110\r\n", "But1=C:\\a\\kancelar.dat\r\n", "But2=C:\\a\\doma.dat\r\n",
             "MenuItem2=1\r\n", "MenuItem6=1\r\n", "ponechat=ano\r\n"})
        EXPECT_NE(after.find(kept), std::string::npos) << kept << " is kept:\n" << after;
    EXPECT_NE(after.find("But3=" + doma + "\r\n"), std::string::npos) << "what the user changed is written:\n" << after;
    EXPECT_NE(after.find("MenuItem9=0\r\n"), std::string::npos) << after;
}

// A program killed while it saves (Task Manager, a power cut) leaves its
// copy; the next save of the same file takes it away.
TEST_F(TamarkoTest, ACopyLeftByAKilledSaveIsGoneAfterTheNextSave)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string profil = folder.File("profil.dat");
    // Large enough for the save to take a while: the kill lands inside it.
    std::string big = "[Nastavení]\r\nIP=1.1.1.1\r\n[Poznámky]\r\n";
    for (int i = 0; big.size() < (3u << 20); ++i)
        big += "poznamka" + std::to_string(i) + "=" + std::string(60, 'x') + "\r\n";
    WriteFileBytes(profil, big);

    bool killedInside = false;
    for (int attempt = 0; attempt < 5 && !killedInside; ++attempt) {
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr);
        HWND dialog = SaveAs(program.Id(), form, profil);
        ASSERT_NE(dialog, nullptr);
        // The kill as soon as the copy stands beside the file.
        std::vector<std::string> boxes;
        WaitUntil(
            [&] {
                AnswerBoxes(program.Id(), dialog, boxes);
                return !StrayFiles(folder, {"profil.dat", "tamarko.ini"}).empty() || !program.Running();
            },
            20s);
        killedInside = !StrayFiles(folder, {"profil.dat", "tamarko.ini"}).empty();
        program.Kill();
        program.WaitForExit(10s);
        const std::string bytes = ReadFileBytes(profil);
        EXPECT_TRUE(bytes == big || bytes.find("IP=192.168.1.10\r\n") != std::string::npos)
            << "the file is as it was or saved whole";
        if (bytes != big)
            WriteFileBytes(profil, big);
    }
    ASSERT_TRUE(killedInside) << "the kill never landed inside a save";

    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    std::vector<std::string> boxes;
    ASSERT_TRUE(SaveOver(program.Id(), form, profil, boxes))
        << "the second save did not land; boxes: " << ::testing::PrintToString(boxes)
        << "; folder: " << ::testing::PrintToString(FileNames(folder.File("*")));
    EXPECT_EQ(boxes, std::vector<std::string>{});
    EXPECT_EQ(StrayFiles(folder, {"profil.dat", "tamarko.ini"}), std::vector<std::string>{})
        << "no copy is left from the killed save";
    CloseAndWait(form);
}

// "Ukončit" while a command of the apply never ends: no further command
// runs, the program stops waiting for the hung one, keeps its settings and
// ends at once (about a second here; the bound leaves room for a busy
// machine, a program that waits never ends).
TEST_F(TamarkoTest, EndingWhileACommandHangsEndsAtOnce)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    folder.WriteNetsimState(NetsimState({kLan}, "hang = yes\r\n"));
    folder.ClearJournal();
    SetField(window.ip, "192.168.1.20");
    PostMessageA(window.apply, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return folder.Journal().size() == 1; })) << "the first command did not start";
    ASSERT_FALSE(Enabled(form));

    Step("the tray's Ukončit");
    PostCommand(form, cmClose);
    const auto shown = WindowsShownUntilExit(program, 10s);
    ASSERT_TRUE(shown.has_value()) << "the program still waits for the hung command";
    EXPECT_EQ(shown->count("#32770"), 0u) << "without a word";
    EXPECT_EQ(folder.Journal().size(), 1u) << "no command after the hung one";
    EXPECT_NE(ReadFileBytes(folder.IniPath()).find("Left=100"), std::string::npos) << "the settings are kept";
}

// Two starts at the same moment: one of them gives way, as the later of two
// starts does, and the bindings of neither are lost to the other.
TEST_F(TamarkoTest, TwoStartsAtTheSameMomentLeaveOneRunning)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string exe = folder.File("tamarko.exe");
    for (int attempt = 1; attempt <= 20; ++attempt) {
        Step("two starts, attempt " + std::to_string(attempt));
        // Both made first, then let go together.
        PROCESS_INFORMATION started[2] = {};
        for (PROCESS_INFORMATION& process : started) {
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            std::string commandLine = "\"" + exe + "\"";
            ASSERT_TRUE(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                nullptr, folder.Path().c_str(), &startup, &process));
        }
        for (PROCESS_INFORMATION& process : started)
            ResumeThread(process.hThread);
        int running = 0;
        for (PROCESS_INFORMATION& process : started) {
            const bool settled = WaitUntil([&] {
                return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0
                    || FindTopWindow(process.dwProcessId, "TForm1", "Tamarko");
            });
            EXPECT_TRUE(settled) << "attempt " << attempt;
            if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0)
                ++running;
        }
        for (PROCESS_INFORMATION& process : started) {
            if (HWND form = FindTopWindow(process.dwProcessId, "TForm1", "Tamarko", false)) {
                WaitUntil([&] { return Enabled(form); });
                PostCommand(form, cmClose);
            }
            if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
                TerminateProcess(process.hProcess, 1);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        ASSERT_EQ(running, 1) << "attempt " << attempt << ": both instances ran";
    }
}

// A settings file that does not read as one (random bytes) is replaced whole
// when the user confirms it, as any other file is.
TEST_F(TamarkoTest, SavingOverAFileOfRandomBytesReplacesIt)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string noise = folder.File("sum.dat");
    WriteFileBytes(noise, RandomBytes(5u << 20));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    std::vector<std::string> boxes;
    EXPECT_TRUE(SaveOver(program.Id(), form, noise, boxes)) << "the file holds the fields";
    EXPECT_EQ(boxes, std::vector<std::string>{}) << "the save is not refused";
    CloseAndWait(form);
}

// A desktop that takes no shortcut (here a folder already has its name) is
// said, as a desktop that cannot be found is.
TEST_F(TamarkoTest, AShortcutThatCannotBeWrittenIsSaid)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string doma = folder.File("doma.dat");
    WriteFileBytes(doma, kDoma);
    WriteFileBytes(
        folder.IniPath(), "[RychleIkony]\r\nBut1=" + doma + "\r\nMenuItem1=0\r\nMenuItem2=1\r\nMenuItem4=1\r\n");
    const std::string link = DesktopFolder() + "\\doma.lnk";
    DeleteFileA(link.c_str());
    ASSERT_TRUE(CreateDirectoryA(link.c_str(), nullptr));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    PostCommand(form, QuickSlotCommand(0, qiShortcut));
    const auto box = WaitForMessageBox(program.Id(), 10s);
    RemoveDirectoryA(link.c_str());
    ASSERT_TRUE(box.has_value()) << "nothing was said";
    EXPECT_NE(box->text.find("doma.lnk"), std::string::npos) << box->text;
    EXPECT_NE(box->text.find("nebyl vytvořen"), std::string::npos) << box->text;
    PressButton(box->window);
    CloseAndWait(form);
}
