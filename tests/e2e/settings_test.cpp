// Settings files: saving the fields through the save dialog, loading them
// back through the open dialog or the command line, and what hand-written,
// missing, unwritable and damaged files do.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;
using e2e::common::WindowColour;

namespace {

const NetConnection kLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};
const char kSaveTitle[] = "Uložit nastavení sítě";
const char kOpenTitle[] = "Otevřít nastavení sítě";

// A path as one command-line argument.
std::string Quoted(const std::string& path)
{
    std::string quoted = "\"";
    quoted += path;
    quoted += '"';
    return quoted;
}

// Clicks a radio button or check box and waits until its state follows.
void ClickButton(HWND button, bool checkedAfter)
{
    PostMessageA(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Checked(button) == checkedAfter; }, 20s));
}

// A visible dialog of the process other than `except`: a question or
// message that a file dialog puts in front of itself.
HWND OtherDialog(DWORD processId, HWND except)
{
    struct Search {
        DWORD processId;
        HWND except, found;
    } search{processId, except, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) WINAPI -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId && window != s.except && IsWindowVisible(window)
                && ClassName(window) == "#32770") {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The ten values the window shows, in the file's key order.
struct Fields {
    std::string ip, mask, gateway, dns, dns2;
    bool manual, automatic, proxy;
    std::string proxyAddress, proxyPort;
};

Fields Shown(const MainWindow& window)
{
    return {Text(window.ip), Text(window.mask), Text(window.gateway), Text(window.dns), Text(window.dns2),
        Checked(window.manual), Checked(window.automatic), Checked(window.proxy), Text(window.proxyAddress),
        Text(window.proxyPort)};
}

void ExpectShown(const MainWindow& window, const Fields& expected, const std::string& what)
{
    const Fields shown = Shown(window);
    EXPECT_EQ(shown.ip, expected.ip) << what;
    EXPECT_EQ(shown.mask, expected.mask) << what;
    EXPECT_EQ(shown.gateway, expected.gateway) << what;
    EXPECT_EQ(shown.dns, expected.dns) << what;
    EXPECT_EQ(shown.dns2, expected.dns2) << what;
    EXPECT_EQ(shown.manual, expected.manual) << what;
    EXPECT_EQ(shown.automatic, expected.automatic) << what;
    EXPECT_EQ(shown.proxy, expected.proxy) << what;
    EXPECT_EQ(shown.proxyAddress, expected.proxyAddress) << what;
    EXPECT_EQ(shown.proxyPort, expected.proxyPort) << what;
}

// What a file without usable keys loads: empty texts, automatic, no proxy.
const Fields kDefaults{"", "", "", "", "", false, true, false, "", ""};

class SettingsFileTest : public TamarkoTest {
protected:
    // The save command through its dialog; false when the dialog did not
    // close on the name.
    bool SaveAs(HWND form, const std::string& typedName)
    {
        PostCommand(form, cmSave);
        HWND dialog = WaitForTopWindow(program.Id(), "#32770", kSaveTitle);
        if (!dialog) {
            ADD_FAILURE() << "no save dialog";
            return false;
        }
        return ChooseFile(dialog, typedName);
    }
    // The open command through its dialog; the load has ended when this
    // returns true.
    bool Open(HWND form, const std::string& path)
    {
        PostCommand(form, cmOpen);
        HWND dialog = WaitForTopWindow(program.Id(), "#32770", kOpenTitle);
        if (!dialog) {
            ADD_FAILURE() << "no open dialog";
            return false;
        }
        return ChooseFile(dialog, path) && Responds(form);
    }
};

}  // namespace

TEST_F(SettingsFileTest, SavedFileHoldsTheTenFieldsAndLoadsBackWhole)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const int off = 0;
    PlantProxy(&off, "proxy.firma.cz:3128");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_FALSE(Enabled(window.proxyAddress)) << "the proxy is off";

    // Partly the current state, partly edited; the proxy address is edited
    // while the box is on and stays in its field once the box is off again.
    SetField(window.ip, "192.168.1.77");
    SetField(window.gateway, "");
    SetField(window.dns2, "8.8.4.4");
    ClickButton(window.proxy, true);
    SetField(window.proxyAddress, "cache.firma.cz");
    ClickButton(window.proxy, false);
    ASSERT_FALSE(Enabled(window.proxyAddress));

    PostCommand(form, cmSave);
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", kSaveTitle);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(GetDlgItem(dialog, 1137)), ::testing::UnitTest::GetInstance()->current_test_info()->name())
        << "the dialog starts in the program's folder";
    ASSERT_TRUE(ChooseFile(dialog, "home"));
    ASSERT_TRUE(Responds(form));
    EXPECT_EQ(ReadFileBytes(folder.File("home.dat")),
        "[Nastavení]\r\n"
        "IP=192.168.1.77\r\n"
        "maska=255.255.255.0\r\n"
        "brana=\r\n"
        "dns=192.168.1.1\r\n"
        "dns2=8.8.4.4\r\n"
        "rucne=1\r\n"
        "auto=0\r\n"
        "proxy=0\r\n"
        "proxyIP=cache.firma.cz\r\n"
        "proxyPort=3128\r\n");

    // Everything else, then the file again.
    SetField(window.ip, "10.0.0.1");
    SetField(window.mask, "255.0.0.0");
    SetField(window.gateway, "10.0.0.254");
    SetField(window.dns, "");
    SetField(window.dns2, "");
    ClickButton(window.automatic, true);
    ClickButton(window.proxy, true);
    SetField(window.proxyAddress, "jiny.cz");
    SetField(window.proxyPort, "8080");
    ASSERT_TRUE(Open(form, folder.File("home.dat")));

    ExpectShown(window,
        {"192.168.1.77", "255.255.255.0", "", "192.168.1.1", "8.8.4.4", true, false, false, "cache.firma.cz", "3128"},
        "loaded back");
    for (HWND field : {window.ip, window.mask, window.gateway, window.dns, window.dns2})
        EXPECT_TRUE(Enabled(field)) << "manual addressing";
    EXPECT_FALSE(Enabled(window.proxyAddress)) << "the proxy is off, its text stays";
    EXPECT_FALSE(Enabled(window.proxyPort));
    // Against the current state: equal fields lime, the others in their normal colour.
    const std::pair<HWND, bool> equal[] = {
        {window.ip, false},
        {window.mask, true},
        {window.gateway, false},
        {window.dns, true},
        {window.dns2, false},
        {window.proxyAddress, false},
        {window.proxyPort, true},
        {window.manual, true},
        {window.automatic, true},
        {window.proxy, true},
    };
    for (const auto& [control, same] : equal) {
        const bool isEdit = ClassName(control) == "Edit";
        const COLORREF expected = same ? kLime : isEdit ? WindowColour() : GetSysColor(COLOR_BTNFACE);
        EXPECT_TRUE(window.PaintedIn(control, expected))
            << Text(control) << ": " << std::hex << window.Background(control);
    }
    PlantProxy(nullptr, nullptr);
    CloseAndWait(form);
}

TEST_F(SettingsFileTest, TextsComeBackExactlyAsTyped)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    // Blanks at the ends and enclosing quotes are what a profile file would
    // lose; the rest is plain text to it.
    const std::pair<HWND, std::string> texts[] = {
        {window.ip, " 10.0.0.1"},
        {window.mask, "255.0.0.0 "},
        {window.gateway, "\"v uvozovkách\""},
        {window.dns, "'apostrofy'"},
        {window.dns2, "\"jen začátek"},
        {window.proxyAddress, "a=b;c #d [e]"},
        {window.proxyPort, "Žluťoučký kůň"},
    };
    for (const auto& [field, text] : texts)
        SetField(field, text);
    ASSERT_TRUE(SaveAs(form, "texty"));
    ASSERT_TRUE(Responds(form));
    for (const auto& [field, text] : texts)
        SetField(field, "");
    ASSERT_TRUE(Open(form, folder.File("texty.dat")));
    for (const auto& [field, text] : texts)
        EXPECT_EQ(Text(field), text);
    CloseAndWait(form);
}

TEST_F(SettingsFileTest, TypedNameIsSavedWithTheDatExtension)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    CreateDirectoryA(folder.File("Profily").c_str(), nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    const struct {
        const char* typed;
        const char* saved;
    } cases[] = {
        {"home", "home.dat"},
        {"home.txt", "home.dat"},
        {"zaloha.2024.txt", "zaloha.2024.dat"},
        {"Síť v kanceláři", "Síť v kanceláři.dat"},
        {"Profily\\doma", "Profily\\doma.dat"},
    };
    for (const auto& c : cases) {
        DeleteFileA(folder.File(c.saved).c_str());
        ASSERT_TRUE(SaveAs(form, c.typed)) << c.typed;
        ASSERT_TRUE(Responds(form));
        EXPECT_TRUE(FileExists(folder.File(c.saved))) << c.typed;
        if (std::strcmp(c.typed, c.saved) != 0) {
            EXPECT_FALSE(FileExists(folder.File(c.typed))) << c.typed;
        }
        EXPECT_NE(ReadFileBytes(folder.File(c.saved)).find("\r\nIP=192.168.1.10\r\n"), std::string::npos) << c.typed;
    }
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 200ms));

    // The Czech name loads back.
    SetField(window.ip, "10.1.1.1");
    ASSERT_TRUE(Open(form, folder.File("Síť v kanceláři.dat")));
    EXPECT_EQ(Text(window.ip), "192.168.1.10");
    CloseAndWait(form);
}

TEST_F(SettingsFileTest, HandWrittenFilesLoadByTheirKeysAndFlags)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    // The proxy is off, so its fields start disabled and follow the box.
    const int off = 0;
    PlantProxy(&off, nullptr);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    // Texts other than the IP address are left out, so they load empty.
    const struct {
        const char* what;
        std::string file;
        std::string ip;
        bool manual, automatic, proxy;
    } cases[] = {
        {"manual", "[Nastavení]\r\nIP=10.1.1.1\r\nrucne=1\r\nauto=0\r\n", "10.1.1.1", true, false, false},
        {"both flags: automatic wins", "[Nastavení]\r\nrucne=1\r\nauto=1\r\n", "", false, true, false},
        {"neither flag", "[Nastavení]\r\nrucne=0\r\nauto=0\r\n", "", false, false, false},
        {"key Ip", "[Nastavení]\r\nIp=10.1.1.2\r\nrucne=1\r\nauto=0\r\n", "10.1.1.2", true, false, false},
        {"key ip", "[Nastavení]\r\nip=10.1.1.3\r\nrucne=1\r\nauto=0\r\n", "10.1.1.3", true, false, false},
        // Capitals of ASCII letters only: Wine's profile functions fold no others.
        {"section in capitals", "[NASTAVENí]\r\niP=10.1.1.4\r\nRUCNE=1\r\nAuto=0\r\n", "10.1.1.4", true, false, false},
        {"proxy=yes is not a number", "[Nastavení]\r\nproxy=yes\r\n", "", false, true, false},
        {"proxy=true is not a number", "[Nastavení]\r\nproxy=true\r\n", "", false, true, false},
        {"proxy=2", "[Nastavení]\r\nproxy=2\r\n", "", false, true, true},
        {"proxy=-1", "[Nastavení]\r\nproxy=-1\r\n", "", false, true, true},
        {"proxy=0x10", "[Nastavení]\r\nproxy=0x10\r\n", "", false, true, true},
        {"proxy=$0", "[Nastavení]\r\nproxy=$0\r\n", "", false, true, false},
        {"auto=yes gives its default", "[Nastavení]\r\nrucne=1\r\nauto=yes\r\n", "", false, true, false},
        {"empty auto gives its default", "[Nastavení]\r\nrucne=1\r\nauto=\r\n", "", false, true, false},
    };
    const std::string path = folder.File("ručně.dat");
    for (const auto& c : cases) {
        WriteFileBytes(path, c.file);
        SetField(window.ip, "marker");
        ASSERT_TRUE(Open(form, path)) << c.what;
        Fields expected = kDefaults;
        expected.ip = c.ip;
        expected.manual = c.manual;
        expected.automatic = c.automatic;
        expected.proxy = c.proxy;
        ExpectShown(window, expected, c.what);
        EXPECT_TRUE(window.PaintedIn(window.ip, c.ip == kLan.ip ? kLime : WindowColour())) << c.what;
        if (c.manual || c.automatic) {
            EXPECT_EQ(Enabled(window.ip), c.manual) << c.what;
        }
        EXPECT_EQ(Enabled(window.proxyAddress), c.proxy) << c.what;
    }
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 200ms));
    CloseAndWait(form);
}

TEST_F(SettingsFileTest, MissingFileOnTheCommandLineIsReportedByItsName)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    CreateDirectoryA(folder.File("složka.dat").c_str(), nullptr);
    const struct {
        const char* what;
        std::string argument, shown;
    } cases[] = {
        {"no such file", Quoted(folder.File("chybí.dat")), folder.File("chybí.dat")},
        {"a folder of that name", Quoted(folder.File("složka.dat")), folder.File("složka.dat")},
        {"a name without a folder", "nikde.dat", "nikde.dat"},
    };
    for (const auto& c : cases) {
        HWND form = Start(c.argument);
        ASSERT_NE(form, nullptr);
        const auto box = WaitForMessageBox(program.Id());
        ASSERT_TRUE(box.has_value()) << c.what;
        EXPECT_EQ(box->caption, "Tamarko") << c.what;
        EXPECT_EQ(box->text, "Soubor " + c.shown + " nebyl nalezen.") << c.what;
        PressButton(box->window);
        const MainWindow window(form);
        ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; })) << c.what;
        EXPECT_EQ(Text(window.ip), kLan.ip) << "no field changes: " << c.what;
        EXPECT_TRUE(Checked(window.manual)) << c.what;
        CloseAndWait(form);
    }

    // The name is looked for again after every choice of the connection,
    // so also at the end of an apply.
    HWND form = Start(cases[0].argument);
    ASSERT_NE(form, nullptr);
    auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    PressButton(box->window);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }));
    PostMessageA(window.apply, BM_CLICK, 0, 0);
    box = WaitForMessageBox(program.Id(), 20s);
    ASSERT_TRUE(box.has_value()) << "no message after the apply";
    EXPECT_EQ(box->text, "Soubor " + cases[0].shown + " nebyl nalezen.");
    PressButton(box->window);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }, 20s));
    EXPECT_EQ(folder.Journal().back(), kReportCommand) << "the state was read back";
    PlantProxy(nullptr, nullptr);
    CloseAndWait(form);
}

TEST_F(SettingsFileTest, SavingOverAnExistingFileKeepsItsOtherContent)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string home = folder.File("home.dat");
    WriteFileBytes(home, "[Jiné]\r\nklic=hodnota\r\n[Nastavení]\r\nIP=1.1.1.1\r\npoznamka=moje\r\nrucne=0\r\n");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);

    // The typed names do not exist, so the dialog does not ask; the save
    // writes home.dat, which does, and asks about it, Ne by default. "Ne"
    // and "Storno" write nothing.
    const std::string before = ReadFileBytes(home);
    const std::string question = "Soubor " + home + " již existuje. Chcete jej nahradit?";
    const struct {
        const char* typed;
        int answer;
    } refusals[] = {{"home.old", IDNO}, {"home", IDCANCEL}};
    for (const auto& [typed, answer] : refusals) {
        ASSERT_TRUE(SaveAs(form, typed)) << typed << ": the dialog asked";
        const auto box = WaitForMessageBox(program.Id());
        ASSERT_TRUE(box.has_value()) << typed << ": nothing asked before replacing home.dat";
        EXPECT_EQ(box->text, question) << typed;
        EXPECT_TRUE(GetDlgItem(box->window, IDYES) && GetDlgItem(box->window, IDNO) && GetDlgItem(box->window, IDCANCEL))
            << "Ano, Ne and Storno";
        EXPECT_EQ(FocusOf(box->window), GetDlgItem(box->window, IDNO)) << "Ne by default";
        PressButton(box->window, answer);
        ASSERT_TRUE(Responds(form));
        EXPECT_EQ(ReadFileBytes(home), before) << typed << ": answer " << answer << " writes nothing";
        EXPECT_FALSE(FileExists(folder.File(typed))) << typed;
    }
    ASSERT_TRUE(SaveAs(form, "home"));
    const auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    PressButton(box->window, IDYES);
    ASSERT_TRUE(Responds(form));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 200ms));
    std::string saved = ReadFileBytes(home);
    EXPECT_EQ(saved.find("[Jiné]\r\nklic=hodnota\r\n"), 0u) << saved;
    EXPECT_NE(saved.find("[Nastavení]\r\nIP=192.168.1.10\r\npoznamka=moje\r\nrucne=1\r\n"), std::string::npos)
        << "replaced in place: " << saved;
    for (const char* line : {"\r\nmaska=255.255.255.0\r\n", "\r\nbrana=192.168.1.1\r\n", "\r\ndns2=\r\n",
             "\r\nauto=0\r\n", "\r\nproxyPort=\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << " in " << saved;
    EXPECT_EQ(saved.find("1.1.1.1"), std::string::npos);

    // Typing the existing name itself asks first.
    const MainWindow window(form);
    SetField(window.ip, "192.168.1.99");
    PostCommand(form, cmSave);
    HWND dialog = WaitForTopWindow(program.Id(), "#32770", kSaveTitle);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(ChooseFile(dialog, "home.dat", 1s));
    HWND replace = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (replace = OtherDialog(program.Id(), dialog)) != nullptr; }));
    EXPECT_EQ(ReadFileBytes(home), saved) << "nothing written before the answer";
    PressButton(replace, IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    ASSERT_TRUE(Responds(form));
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 200ms)) << "the file the dialog asked about is not asked about again";
    EXPECT_NE(ReadFileBytes(home).find("\r\nIP=192.168.1.99\r\n"), std::string::npos);
    CloseAndWait(form);
}

TEST_F(SettingsFileTest, UnwritableTargetIsReportedAndTheWindowStaysUsable)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string home = folder.File("home.dat");
    WriteFileBytes(home, "");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    // Another program holds the file without sharing (root ignores
    // read-only permissions under Wine).
    HANDLE lock = CreateFileA(home.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    // home.dat is there: the save asks before it replaces it.
    const auto saveOverHome = [&] {
        if (!SaveAs(form, "home"))
            return false;
        const auto question = WaitForMessageBox(program.Id());
        if (!question || !GetDlgItem(question->window, IDYES))
            return false;
        PressButton(question->window, IDYES);
        return true;
    };
    ASSERT_TRUE(saveOverHome());
    const auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Tamarko");
    EXPECT_EQ(box->text, "Do souboru " + home + " nelze zapisovat: soubor používá jiný program.");
    PressButton(box->window);
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(home), "");

    EXPECT_TRUE(WaitUntil([&] { return Enabled(form); }));
    ASSERT_TRUE(saveOverHome()) << "the window still works";
    ASSERT_TRUE(Responds(form));
    EXPECT_NE(ReadFileBytes(home).find("\r\nIP=192.168.1.10\r\n"), std::string::npos);
    CloseAndWait(form);
}

TEST_F(SettingsFileTest, DamagedFilesLoadWithoutHarm)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    std::string noise(64 * 1024, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 11);
    std::string huge = "[Nastavení]\r\n";
    for (int i = 0; huge.size() < 10 * 1024 * 1024; ++i)
        huge += "poznamka" + std::to_string(i) + "=" + std::string(100, 'x') + "\r\n";
    huge += "IP=10.9.9.9\r\nrucne=1\r\nauto=0\r\n";
    const std::string longIp(3000, '1');
    const std::string longDns(3000, 'd');

    // Nothing: a file without any of the ten keys is no settings file.
    const struct {
        const char* what;
        std::string file;
        std::optional<Fields> expected;
    } cases[] = {
        {"binary garbage", noise, std::nullopt},
        {"empty", "", std::nullopt},
        {"10 MB, the keys at the end", huge, Fields{"10.9.9.9", "", "", "", "", true, false, false, "", ""}},
        {"another program's INI file", "[Jiné]\r\nIP=1.2.3.4\r\nrucne=1\r\nauto=0\r\nproxy=1\r\n",
            std::nullopt},
        {"one key of ten", "[Nastavení]\r\nproxy=1\r\n", Fields{"", "", "", "", "", false, true, true, "", ""}},
        {"duplicate keys: the first counts",
            "[Nastavení]\r\nIP=10.0.0.1\r\nrucne=1\r\nauto=0\r\nIP=10.0.0.2\r\nauto=1\r\n",
            Fields{"10.0.0.1", "", "", "", "", true, false, false, "", ""}},
        {"3,000-character values", "[Nastavení]\r\nIP=" + longIp + "\r\ndns=" + longDns + "\r\nrucne=1\r\nauto=0\r\n",
            Fields{longIp.substr(0, 2047), "", "", longDns.substr(0, 2047), "", true, false, false, "", ""}},
    };
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    const std::string path = folder.File("poskozeny.dat");
    for (const auto& c : cases) {
        WriteFileBytes(path, c.file);
        SetField(window.ip, "marker");
        SetField(window.proxyPort, "marker");
        const Fields typed = Shown(window);
        ASSERT_TRUE(Open(form, path)) << c.what;
        ASSERT_TRUE(program.Running()) << c.what;
        if (c.expected) {
            ExpectShown(window, *c.expected, c.what);
            EXPECT_TRUE(NoMessageBoxFor(program.Id(), 100ms)) << c.what;
            continue;
        }
        const auto box = WaitForMessageBox(program.Id());
        ASSERT_TRUE(box.has_value()) << c.what << ": said";
        EXPECT_EQ(box->text, "Soubor " + path + " neobsahuje nastavení sítě.") << c.what;
        PressButton(box->window);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->window); })) << c.what;
        ExpectShown(window, typed, std::string(c.what) + ": what was typed stays");
    }
    CloseAndWait(form);
}

TEST_F(SettingsFileTest, FileNamedOnTheCommandLineIsShownAfterTheChoiceAndAgainAfterAnApply)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const int off = 0;
    PlantProxy(&off, nullptr);
    const std::string profile = folder.File("Kancelář.dat");
    WriteFileBytes(profile,
        "[Nastavení]\r\nIP=192.168.1.20\r\nmaska=255.255.255.0\r\nbrana=192.168.1.1\r\n"
        "dns=1.1.1.1\r\ndns2=\r\nrucne=1\r\nauto=0\r\nproxy=0\r\nproxyIP=\r\nproxyPort=\r\n");
    const Fields fromFile{"192.168.1.20", "255.255.255.0", "192.168.1.1", "1.1.1.1", "", true, false, false, "", ""};
    HWND form = StartFilled(Quoted(profile));
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    EXPECT_EQ(Text(window.connectionName), kLan.name);
    ExpectShown(window, fromFile, "after the choice");
    EXPECT_TRUE(window.PaintedIn(window.ip, WindowColour())) << "differs from the current state";
    EXPECT_TRUE(window.PaintedIn(window.dns, WindowColour()));
    EXPECT_TRUE(window.PaintedIn(window.mask, kLime));
    EXPECT_TRUE(window.PaintedIn(window.dns2, kLime));

    // The user adds an alternate server and applies. The state read back
    // then has it, while the reloaded file has none.
    SetField(window.dns2, "8.8.4.4");
    folder.ClearJournal();
    PostMessageA(window.apply, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto journal = folder.Journal();
            return journal.size() == 6 && Text(window.statusBar) == kStateLegend && Enabled(form);
        },
        20s))
        << "the apply did not run to its end";
    EXPECT_EQ(folder.Journal(),
        (std::vector<std::string>{
            "netsh interface ip set address \"LAN\" static 192.168.1.20 255.255.255.0 "
            "192.168.1.1 1",
            "netsh interface ip set dns \"LAN\" static 1.1.1.1",
            "netsh interface ip add dns \"LAN\" 8.8.4.4",
            "ipconfig /release",
            "ipconfig /renew",
            kReportCommand,
        }));
    ExpectShown(window, fromFile, "after the apply");
    EXPECT_TRUE(window.PaintedIn(window.ip, kLime)) << "now the current state";
    EXPECT_TRUE(window.PaintedIn(window.dns, kLime));
    EXPECT_TRUE(window.PaintedIn(window.dns2, WindowColour())) << "the state has 8.8.4.4, the file nothing";
    EXPECT_TRUE(NoMessageBoxFor(program.Id(), 200ms));
    PlantProxy(nullptr, nullptr);
    CloseAndWait(form);
}

TEST_F(SettingsFileTest, ADialogThatFailsSaysWhyAndChangesNothing)
{
    // The recorder makes the system's dialog fail, as a damaged system's
    // would; Wine's never does.
    const struct {
        const char* function;
        int command;
        const char* title;
    } dialogs[] = {{"GetOpenFileNameW", cmOpen, kOpenTitle}, {"GetSaveFileNameW", cmSave, kSaveTitle}};
    for (const auto& dialog : dialogs) {
        folder.WriteNetsimState(NetsimState({kLan}));
        program
            = StartTamarko(folder, "", {{"TAMARKO_RECORDER_FAULT", std::string(dialog.function) + "#1,error=3002"}});
        HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
        ASSERT_NE(form, nullptr);
        const MainWindow window(form);
        ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));
        SetField(window.ip, "10.1.2.3");
        PostCommand(form, dialog.command);
        const auto box = WaitForMessageBox(program.Id());
        ASSERT_TRUE(box.has_value()) << dialog.function;
        EXPECT_EQ(box->caption, "Tamarko");
        EXPECT_EQ(box->text,
            "Dialog „" + std::string(dialog.title) + "“ selhal: název souboru je neplatný (kód chyby 0x3002).");
        PressButton(box->window);
        EXPECT_TRUE(Responds(form));
        EXPECT_TRUE(Enabled(form)) << dialog.function << ": the window is usable";
        EXPECT_EQ(Text(window.ip), "10.1.2.3") << dialog.function << ": the fields are as they were";
        CloseAndWait(form);
    }
    WIN32_FIND_DATAA found;
    HANDLE none = FindFirstFileA(folder.File("*.dat").c_str(), &found);
    EXPECT_EQ(none, INVALID_HANDLE_VALUE) << "no settings file was written";
    if (none != INVALID_HANDLE_VALUE)
        FindClose(none);
}
