// What the user did not ask to change stays as it was: a file named with a
// letter outside the code page is that file and no other, the program's own
// folder too; a stored placement cannot hide the window; a start right
// after a close runs; a folder near the path limit keeps its settings.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;

namespace {

const NetConnection kLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};
const char kOpenTitle[] = "Otevřít nastavení sítě";
const char kSaveTitle[] = "Uložit nastavení sítě";
const wchar_t kMichele[] = L"Mich\u00E8le";  // "è" is not in code page 1250

void WriteWide(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << WideToAnsi(path);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadWide(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "(none)";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes;
}

std::string Settings(const char* ip)
{
    return std::string("[Nastavení]\r\nIP=") + ip + "\r\nmaska=255.0.0.0\r\nrucne=1\r\nauto=0\r\n";
}

// A box of the program's: its text, once it is confirmed.
std::string ConfirmBox(DWORD processId)
{
    const auto box = WaitForMessageBox(processId);
    if (!box) {
        ADD_FAILURE() << "no message box";
        return {};
    }
    PressButton(box->window);
    return box->text;
}

// A folder of the program's own, beside the test's: its three programs and
// the stand-ins' machine.
void FillProgramFolder(const std::wstring& path)
{
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << WideToAnsi(path);
    for (const char* program : {"tamarko.exe", "netsh.exe", "ipconfig.exe"})
        ASSERT_TRUE(CopyFileW(
            AnsiToWide(ShipDir() + "\\" + program).c_str(), (path + L"\\" + AnsiToWide(program)).c_str(), FALSE));
    WriteWide(path + L"\\netsim-state.txt", NetsimState({kLan}));
}

// The rectangle of the work area of this desktop.
RECT WorkArea()
{
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

}  // namespace

// Dialogs and the command line give the program the name as the user wrote
// it. A folder whose name is outside the code page is reached as itself, not
// as its look-alike "Michele"; a new file whose own name has no form in the
// code page is refused, naming it, and no other file is written instead.
TEST_F(TamarkoTest, ANameOutsideTheCodePageNamesThatFileAndNoOther)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::wstring root = AnsiToWide(folder.Path());
    const std::wstring mine = root + L"\\" + kMichele + L"\\doma.dat";
    const std::wstring lookAlike = root + L"\\Michele\\doma.dat";
    ASSERT_TRUE(CreateDirectoryW((root + L"\\" + kMichele).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\Michele").c_str(), nullptr));
    WriteWide(mine, Settings("10.0.0.2"));
    WriteWide(lookAlike, Settings("10.0.0.1"));
    WriteWide(root + L"\\Cafe-e.dat", Settings("10.0.0.4"));

    // Named on the command line, as a desktop shortcut names it.
    program = Process(root + L"\\tamarko.exe", L"\"" + mine + L"\"", root);
    HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    EXPECT_TRUE(WaitUntil([&] { return Text(window.ip) == "10.0.0.2" && Enabled(form); }))
        << "the command line's file: " << Text(window.ip);
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));

    // Through the open dialog.
    SetField(window.ip, "1.1.1.1");
    PostCommand(form, cmOpen);
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", kOpenTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, mine));
    EXPECT_TRUE(WaitUntil([&] { return Text(window.ip) == "10.0.0.2"; })) << Text(window.ip);
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));

    // Saved over it, through the save dialog's own question.
    SetField(window.ip, "10.0.0.9");
    PostCommand(form, cmSave);
    dialog = WaitForTopWindow(program.Id(), "#32770", kSaveTitle);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(ChooseFile(dialog, mine, 1s)) << "the dialog asks before replacing it";
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        question = FindTopWindow(program.Id(), "#32770");
        return question && question != dialog;
    }));
    PressButton(question, IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) && Responds(form); }));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    EXPECT_NE(ReadWide(mine).find("IP=10.0.0.9\r\n"), std::string::npos) << ReadWide(mine);
    EXPECT_EQ(ReadWide(lookAlike), Settings("10.0.0.1")) << "the look-alike is untouched";

    // A new name with "è" in the file's own name: refused, named.
    const std::wstring cafe = root + L"\\Cafe-\u00E8.dat";
    PostCommand(form, cmSave);
    dialog = WaitForTopWindow(program.Id(), "#32770", kSaveTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, cafe));
    const std::string refused = ConfirmBox(program.Id());
    EXPECT_EQ(refused.rfind("Soubor " + folder.Path() + "\\Cafe-?.dat nelze použít:", 0), 0u) << refused;
    EXPECT_EQ(GetFileAttributesW(cafe.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing written under the name";
    EXPECT_EQ(ReadWide(root + L"\\Cafe-e.dat"), Settings("10.0.0.4")) << "nor under its look-alike";
    EXPECT_TRUE(Responds(form));
    CloseAndWait(form);
    DeleteFileW(mine.c_str());
    RemoveDirectoryW((root + L"\\" + kMichele).c_str());
}

// Started from a folder whose name is outside the code page, beside one
// named by its look-alike: each program keeps its own INI file.
TEST_F(TamarkoTest, StartedFromAFolderOutsideTheCodePageItKeepsItsOwnIniFile)
{
    const std::wstring root = AnsiToWide(folder.Path());
    const std::wstring mine = root + L"\\" + kMichele;
    const std::wstring lookAlike = root + L"\\Michele";
    ASSERT_NO_FATAL_FAILURE(FillProgramFolder(mine));
    ASSERT_NO_FATAL_FAILURE(FillProgramFolder(lookAlike));
    const std::string otherIni = "[Nastavení]\r\nLeft=300\r\nTop=200\r\n";
    WriteWide(lookAlike + L"\\tamarko.ini", otherIni);
    WriteWide(mine + L"\\tamarko.ini", "[Nastavení]\r\nLeft=150\r\nTop=120\r\n");

    program = Process(mine + L"\\tamarko.exe", L"", mine);
    HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return Text(MainWindow(form).statusBar) == kStateLegend && Enabled(form); }));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    RECT placed;
    GetWindowRect(form, &placed);
    EXPECT_EQ(placed.left, 150) << "its own INI file's placement";
    EXPECT_EQ(placed.top, 120);
    SetWindowPos(form, nullptr, 160, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CloseAndWait(form);
    EXPECT_NE(ReadWide(mine + L"\\tamarko.ini").find("Left=160\r\nTop=130\r\n"), std::string::npos)
        << ReadWide(mine + L"\\tamarko.ini");
    EXPECT_EQ(ReadWide(lookAlike + L"\\tamarko.ini"), otherIni) << "the look-alike's INI file is untouched";
}

// A stored size below the design, or a position where nobody can take hold
// of the title bar, would trap the user at every start: the window comes up
// whole and within reach, on the work area; a placement there is kept as
// stored.
TEST_F(TamarkoTest, AStoredPlacementCannotHideTheWindow)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const RECT work = WorkArea();
    const struct {
        const char* what;
        std::string stored;
        bool kept;  // applied exactly as stored
    } cases[] = {
        {"no size", "Left=120\r\nTop=110\r\nWidth=0\r\nHeight=0\r\n", false},
        {"a negative size", "Left=120\r\nTop=110\r\nWidth=-40\r\nHeight=-400\r\n", false},
        {"smaller than the design", "Left=120\r\nTop=110\r\nWidth=200\r\nHeight=200\r\n", false},
        {"where a minimised window is", "Left=-32000\r\nTop=-32000\r\n", false},
        {"beyond every screen",
            "Left=" + std::to_string(work.right + 400) + "\r\nTop=" + std::to_string(work.bottom + 300) + "\r\n",
            false},
        {"partly off the screen, its title bar within reach", "Left=-100\r\nTop=2\r\n", false},
        {"larger than the design", "Left=120\r\nTop=110\r\nWidth=400\r\nHeight=500\r\n", true},
    };
    for (const auto& c : cases) {
        WriteFileBytes(folder.IniPath(), "[Nastavení]\r\n" + c.stored);
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr) << c.what;
        RECT placed;
        GetWindowRect(form, &placed);
        const RECT client = ClientRect(form);
        EXPECT_GE(client.right, 300) << c.what << ": no control is cut off";
        EXPECT_GE(client.bottom, 395) << c.what;
        const int caption = GetSystemMetrics(SM_CYCAPTION);
        EXPECT_TRUE(placed.top >= work.top - caption / 2 && placed.top + caption <= work.bottom
            && placed.right >= work.left + 2 * caption && placed.left + 2 * caption <= work.right)
            << c.what << ": the title bar at " << placed.left << "," << placed.top;
        // Wine may give the program the whole screen as its work area (after
        // a change of DPI), while this process keeps the one it first learnt.
        EXPECT_TRUE(placed.left >= work.left && placed.right <= GetSystemMetrics(SM_CXSCREEN)
            && placed.top >= work.top && placed.bottom <= GetSystemMetrics(SM_CYSCREEN))
            << c.what << ": whole on the screen, at " << placed.left << "," << placed.top;
        if (c.kept) {
            const std::string shown = "Left=" + std::to_string(placed.left) + "\r\nTop=" + std::to_string(placed.top);
            EXPECT_EQ(c.stored.substr(0, shown.size()), shown) << c.what;
        }
        CloseAndWait(form);
        const std::string ini = ReadFileBytes(folder.IniPath());
        for (const std::string& key : {"Left=" + std::to_string(placed.left), "Top=" + std::to_string(placed.top),
                 "Height=" + std::to_string(placed.bottom - placed.top),
                 "Width=" + std::to_string(placed.right - placed.left)})
            EXPECT_NE(ini.find("\n" + key + "\r\n"), std::string::npos) << c.what << ": the window as it was is kept\n"
                                                                        << ini;
    }
}

// A start while the program is closing does not give way to the instance
// that is going: it runs.
TEST_F(TamarkoTest, AStartWhileTheProgramClosesRuns)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND first = StartFilled();
    ASSERT_NE(first, nullptr);
    Process closing = std::move(program);
    ASSERT_FALSE(FileExists(folder.IniPath()));
    Step("Zavřít, and a new start as soon as the close has kept the settings");
    PostCommand(first, cmClose);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(folder.IniPath()); }));
    // The closing instance, asked as a start asks, says it is none.
    HWND guard = FindTopWindow(closing.Id(), "TMultiInstanceWindow", {}, false);
    DWORD_PTR answer = 0;
    if (guard
        && SendMessageTimeoutA(guard, RegisterWindowMessageA("TMultiInstance message-Tendrovix"),
            static_cast<WPARAM>(-1), 1, SMTO_NORMAL, 2000, &answer)) {
        EXPECT_EQ(answer, 0u) << "the closing instance still answers as a running one";
    }
    program = StartTamarko(folder);
    const bool overlapped = closing.Running();
    HWND second = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
    EXPECT_NE(second, nullptr) << "the new start ended without a window"
                               << (overlapped ? " while the first was closing" : "");
    EXPECT_TRUE(closing.WaitForExit(20s).has_value()) << "the first did not end";
    if (second) {
        EXPECT_TRUE(WaitUntil([&] { return Text(MainWindow(second).statusBar) == kStateLegend; }));
        CloseAndWait(second);
    }
}

// A program whose folder's path nearly reaches the limit keeps its
// settings and saves its files there, with no question at the close.
TEST_F(TamarkoTest, AFolderNearThePathLimitKeepsTheSettings)
{
    const std::string deep = folder.File(std::string(246 - folder.Path().size() - 1, 'd'));
    ASSERT_EQ(deep.size(), 246u);
    ASSERT_NO_FATAL_FAILURE(FillProgramFolder(AnsiToWide(deep)));
    WriteFileBytes(deep + "\\tamarko.ini", "[Nastavení]\r\nLeft=120\r\nTop=110\r\n");
    program = Process(deep + "\\tamarko.exe", "", deep, {}, Recording::On);
    HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Text(MainWindow(form).statusBar) == kStateLegend && Enabled(form); }));

    PostCommand(form, cmSave);
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", kSaveTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, deep + "\\a.dat"));
    ASSERT_TRUE(Responds(form));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 300ms));
    EXPECT_NE(ReadFileBytes(deep + "\\a.dat").find("IP=192.168.1.10\r\n"), std::string::npos);

    SetWindowPos(form, nullptr, 140, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostCommand(form, cmClose);
    const auto shown = WindowsShownUntilExit(program);
    ASSERT_TRUE(shown.has_value()) << "the program did not end";
    EXPECT_EQ(shown->count("#32770"), 0u) << "no question at the close";
    EXPECT_NE(ReadFileBytes(deep + "\\tamarko.ini").find("Left=140\r\nTop=130\r\n"), std::string::npos);
}
