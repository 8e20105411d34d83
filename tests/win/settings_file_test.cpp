#include "win32/settings_file.h"

#include "core/exception.h"
#include "tests/win/temp_folder.h"
#include "win32/code_page.h"
#include "win32/file_name.h"
#include "win32/ini_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

namespace {

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ProfileText(const std::string& path, const char* section, const char* key)
{
    char value[256];
    const DWORD length = GetPrivateProfileStringA(section, key, "<chybí>", value, sizeof value, path.c_str());
    return std::string(value, length);
}

// The ten values in the order in which a file holds them.
FieldValues Values(const std::string& ip, const std::string& mask, const std::string& gateway, const std::string& dns,
    const std::string& dns2, bool manual, bool automatic, bool proxy, const std::string& proxyAddress,
    const std::string& proxyPort)
{
    FieldValues values;
    values.SetText(Field::IP, ip);
    values.SetText(Field::Mask, mask);
    values.SetText(Field::Gateway, gateway);
    values.SetText(Field::DNS, dns);
    values.SetText(Field::DNS2, dns2);
    values.SetChecked(Field::Manual, manual);
    values.SetChecked(Field::Automatic, automatic);
    values.SetChecked(Field::Proxy, proxy);
    values.SetText(Field::ProxyAddress, proxyAddress);
    values.SetText(Field::ProxyPort, proxyPort);
    return values;
}

FieldValues WithText(Field field, const std::string& text)
{
    FieldValues values;
    values.SetText(field, text);
    return values;
}

void ExpectSame(const FieldValues& expected, const FieldValues& actual, const std::string& where)
{
    for (const FieldSpec& spec : kFields) {
        EXPECT_EQ(expected.Text(spec.field), actual.Text(spec.field)) << where << ", " << spec.settingsKey;
        EXPECT_EQ(expected.Checked(spec.field), actual.Checked(spec.field)) << where << ", " << spec.settingsKey;
    }
}

const FieldValues kDefaults{};

TEST(SettingsFile, EverySetOfValuesComesBackAsWritten)
{
    TempFolder folder("settings");
    const FieldValues cases[] = {
        Values("192.168.1.10", "255.255.255.0", "192.168.1.1", "10.0.0.1", "10.0.0.2", true, false, true,
            "proxy.firma.cz", "8080"),
        Values("", "", "", "", "", false, false, false, "", ""),
        Values("", "", "", "", "", true, true, true, "", ""),
        // Czech letters and blanks inside a text.
        Values("adresa se žluťoučkým koněm", "Příliš úpěl", "brána ďábelská", "ó é í", "Ř Š Ž Č Ň Ť Ď Ú Ů", false, true,
            false, "proxy s mezerou", "80 80"),
        // Blanks and quotes at the ends, which the profile functions would drop.
        Values(" 10.0.0.1", "255.0.0.0 ", "  ", "\"10.0.0.3\"", "'10.0.0.4'", true, false, false, "\"", "\" 8080 \""),
        Values("\"začátek", "konec'", "\t", "a\tb", "= [Nastavení] ;", false, true, true, "\"\"", "''"),
    };
    int number = 0;
    for (const auto& settings : cases) {
        const std::string path = folder / ("Moje nastavení " + std::to_string(++number) + ".dat");
        WriteSettingsFile(path, settings);
        EXPECT_TRUE(SettingsFileExists(path)) << path;
        ExpectSame(settings, ReadSettingsFile(path), path);
    }
}

TEST(SettingsFile, TextsComeBackWithAtMost2047Characters)
{
    TempFolder folder("settings");
    const std::string path = folder / "dlouhé.dat";
    std::string text(3000, 'x');
    for (std::size_t i = 0; i < text.size(); i += 7)
        text[i] = 'ř';
    FieldValues values = WithText(Field::IP, text);
    values.SetText(Field::ProxyAddress, " " + text);  // written in quotes
    WriteSettingsFile(path, values);

    const FieldValues read = ReadSettingsFile(path);
    EXPECT_EQ(text.substr(0, 2047), read.Text(Field::IP));
    EXPECT_EQ((" " + text).substr(0, 2047), read.Text(Field::ProxyAddress));
    EXPECT_EQ(std::string::npos, ReadBytes(path).find(std::string(3001, 'x'))) << "nothing beyond the text";
}

TEST(SettingsFile, ATextEndsAtItsFirstLineBreak)
{
    // Written as it stands, the rest would become a section and key of its own.
    TempFolder folder("settings");
    const std::string path = folder / "zlom.dat";
    FieldValues values = WithText(Field::IP, "10.0.0.1\r\n[Jiné]\r\nklíč=1");
    values.SetText(Field::Mask, "255.0.0.0\nrucne=1");
    values.SetText(Field::Gateway, "\r\n10.0.0.138");
    WriteSettingsFile(path, values);

    const FieldValues read = ReadSettingsFile(path);
    EXPECT_EQ("10.0.0.1", read.Text(Field::IP));
    EXPECT_EQ("255.0.0.0", read.Text(Field::Mask));
    EXPECT_EQ("", read.Text(Field::Gateway));
    EXPECT_FALSE(read.Checked(Field::Manual));
    EXPECT_EQ("<chybí>", ProfileText(path, "Jiné", "klíč"));
}

TEST(SettingsFile, ANewFileHoldsTheTenKeysInTheirOrder)
{
    TempFolder folder("settings");
    const std::string path = folder / "nový.dat";
    WriteSettingsFile(path,
        Values("192.168.0.5", "255.255.255.0", "192.168.0.1", "192.168.0.1", "", true, false, true, " proxy", "3128"));
    EXPECT_EQ("[Nastavení]\r\n"
              "IP=192.168.0.5\r\n"
              "maska=255.255.255.0\r\n"
              "brana=192.168.0.1\r\n"
              "dns=192.168.0.1\r\n"
              "dns2=\r\n"
              "rucne=1\r\n"
              "auto=0\r\n"
              "proxy=1\r\n"
              "proxyIP=\" proxy\"\r\n"
              "proxyPort=3128\r\n",
        ReadBytes(path));
}

TEST(SettingsFile, AnExistingFileKeepsWhatIsNotOurs)
{
    TempFolder folder("settings");
    const std::string path = folder / "cizí.dat";
    WriteBytes(path,
        "; poznámka\r\n"
        "[Jiné]\r\n"
        "IP=ponechat\r\n"
        "[nastavení]\r\n"
        "ip=staré\r\n"
        "cizí=ponechat\r\n"
        "PROXY=1\r\n"
        "[Poslední]\r\n"
        "x=y\r\n");
    FieldValues values = WithText(Field::IP, "10.1.1.1");
    values.SetText(Field::ProxyPort, "81");
    WriteSettingsFile(path, values);

    // Existing keys keep their place and spelling; new ones close the section.
    EXPECT_EQ("; poznámka\r\n"
              "[Jiné]\r\n"
              "IP=ponechat\r\n"
              "[nastavení]\r\n"
              "ip=10.1.1.1\r\n"
              "cizí=ponechat\r\n"
              "PROXY=0\r\n"
              "maska=\r\n"
              "brana=\r\n"
              "dns=\r\n"
              "dns2=\r\n"
              "rucne=0\r\n"
              "auto=1\r\n"
              "proxyIP=\r\n"
              "proxyPort=81\r\n"
              "[Poslední]\r\n"
              "x=y\r\n",
        ReadBytes(path));
    ExpectSame(values, ReadSettingsFile(path), path);
}

TEST(SettingsFile, KeysAndTheSectionMatchInAnyCase)
{
    TempFolder folder("settings");
    const struct {
        const char* content;
        const char* ip;
    } cases[] = {
        {"[Nastavení]\r\nip=1.1.1.1\r\n", "1.1.1.1"}, {"[Nastavení]\r\nIP=2.2.2.2\r\n", "2.2.2.2"},
        {"[Nastavení]\r\nIp=3.3.3.3\r\n", "3.3.3.3"}, {"[Nastavení]\r\niP=4.4.4.4\r\n", "4.4.4.4"},
        // Wine folds the case of ASCII letters only, so the í stays small here.
        {"[NASTAVENí]\r\nIP=5.5.5.5\r\n", "5.5.5.5"}, {"[nastavení]\r\n  ip  =  6.6.6.6  \r\n", "6.6.6.6"},
        {"[Nastaveni]\r\nip=7.7.7.7\r\n", ""},  // without the accent it is another section
    };
    int number = 0;
    for (const auto& c : cases) {
        const std::string path = folder / (std::to_string(++number) + ".dat");
        WriteBytes(path, c.content);
        EXPECT_EQ(c.ip, ReadSettingsFile(path).Text(Field::IP)) << c.content;
    }
}

TEST(SettingsFile, FlagsAreNumbersAndAnythingElseGivesTheDefault)
{
    TempFolder folder("settings");
    const struct {
        const char* value;  // nullptr: the keys are missing
        int expected;       // -1: the key's default (rucne 0, auto 1, proxy 0)
    } cases[] = {
        {"1", 1},
        {"0", 0},
        {"2", 1},
        {"0x10", 1},
        {"$F", 1},
        {"-1", 1},
        {"0x0", 0},
        {" 1 ", 1},
        {"\"0\"", 0},
        {"yes", -1},
        {"true", -1},
        {"", -1},
        {nullptr, -1},
        {"1 a", -1},
        {"0x", -1},
        {"$", -1},
        {"-", -1},
        {"99999999999", -1},
    };
    int number = 0;
    for (const auto& c : cases) {
        const std::string path = folder / ("příznak " + std::to_string(++number) + ".dat");
        std::string content = "[Nastavení]\r\n";
        if (c.value)
            for (const char* key : {"rucne", "auto", "proxy"})
                content += std::string(key) + "=" + c.value + "\r\n";
        WriteBytes(path, content);

        // Both radio buttons may come out checked; the window resolves that.
        const FieldValues read = ReadSettingsFile(path);
        const char* shown = c.value ? c.value : "(missing)";
        EXPECT_EQ(c.expected == -1 ? false : c.expected == 1, read.Checked(Field::Manual)) << shown;
        EXPECT_EQ(c.expected == -1 ? true : c.expected == 1, read.Checked(Field::Automatic)) << shown;
        EXPECT_EQ(c.expected == -1 ? false : c.expected == 1, read.Checked(Field::Proxy)) << shown;
    }
}

TEST(SettingsFile, FilesThatAreNotSettingsGiveTheDefaultsAndSaySo)
{
    TempFolder folder("settings");

    std::string garbage(64 * 1024, '\0');
    unsigned state = 12345;
    for (char& byte : garbage) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    std::string huge;
    for (int section = 0; huge.size() < 10 * 1024 * 1024; ++section)
        huge += "[Oddíl " + std::to_string(section) + "]\r\nip=9.9.9.9\r\nklíč=" + std::string(200, 'h') + "\r\n";
    const FieldValues atTheEnd = WithText(Field::IP, "10.0.0.7");

    // Whether it holds settings at all: only then does a load take its values.
    const struct {
        const char* what;
        std::string content;
        FieldValues expected;
        bool holdsSettings;
    } cases[] = {
        {"garbage", garbage, kDefaults, false},
        {"empty", "", kDefaults, false},
        {"another section", "[Jiné]\r\nip=1.2.3.4\r\nauto=0\r\n", kDefaults, false},
        {"no section", "ip=1.2.3.4\r\nauto=0\r\n", kDefaults, false},
        {"the section without a key of ours", "[Nastavení]\r\nLeft=100\r\n", kDefaults, false},
        {"one empty key", "[Nastavení]\r\nbrana=\r\n", kDefaults, true},
        {"one flag that is no number", "[Nastavení]\r\nproxy=ano\r\n", kDefaults, true},
        {"10 MB without the section", huge, kDefaults, false},
        {"10 MB with the section at the end", huge + "[Nastavení]\r\nip=10.0.0.7\r\n", atTheEnd, true},
    };
    for (const auto& c : cases) {
        const std::string path = folder / (std::string(c.what) + ".dat");
        WriteBytes(path, c.content);
        ASSERT_TRUE(SettingsFileExists(path)) << c.what;
        ExpectSame(c.expected, ReadSettingsFile(path), c.what);
        const std::optional<FieldValues> read = ReadSettingsIfAny(path);
        ASSERT_EQ(read.has_value(), c.holdsSettings) << c.what;
        if (read)
            ExpectSame(c.expected, *read, c.what);
    }
}

TEST(SettingsFile, AFileThatIsNoTextIsReplacedWhole)
{
    // The user confirmed replacing it; keys parsed out of random bytes mean
    // nothing and may not hold the save back.
    TempFolder folder("settings");
    const std::string path = folder / "šum.dat";
    std::string noise(1u << 20, '\0');
    unsigned state = 20261208;
    for (char& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    WriteBytes(path, noise);
    const FieldValues values = Values("10.0.0.1", "255.0.0.0", "", "", "", true, false, false, "", "");
    WriteSettingsFile(path, values);
    ExpectSame(values, ReadSettingsFile(path), "over random bytes");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder / "*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "no copy is left beside it";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

TEST(SettingsFile, OfAKeyGivenTwiceTheFirstIsReadAndReplaced)
{
    TempFolder folder("settings");
    const std::string path = folder / "dvakrát.dat";
    WriteBytes(path, "[Nastavení]\r\nip=první\r\nIP=druhá\r\nauto=0\r\nauto=1\r\n");
    EXPECT_EQ("první", ReadSettingsFile(path).Text(Field::IP));
    EXPECT_FALSE(ReadSettingsFile(path).Checked(Field::Automatic));

    WriteSettingsFile(path, WithText(Field::IP, "nová"));
    const FieldValues read = ReadSettingsFile(path);
    EXPECT_EQ("nová", read.Text(Field::IP));
    EXPECT_TRUE(read.Checked(Field::Automatic));
    EXPECT_NE(std::string::npos, ReadBytes(path).find("IP=druhá\r\n")) << "the later copy stays";
}

TEST(SettingsFile, OnlyAFileCountsAsExisting)
{
    TempFolder folder("settings");
    CreateDirectoryA((folder / "složka.dat").c_str(), nullptr);
    WriteBytes(folder / "Síť doma a v práci.dat", "");
    const struct {
        std::string path;
        bool exists;
    } cases[] = {
        {folder / "Síť doma a v práci.dat", true},
        {folder / "žádný.dat", false},
        {folder / "složka.dat", false},
        {folder.Path(), false},
        {folder / "chybí\\nic.dat", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.exists, SettingsFileExists(c.path)) << c.path;
}

TEST(SettingsFile, AFileThatCannotBeOpenedIsNotReadAsEmpty)
{
    TempFolder folder("settings");
    const std::string held = folder / "držený.dat";
    WriteBytes(held, "[Nastavení]\r\nip=10.0.0.7\r\n");
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    try {
        ReadSettingsFile(held);
        ADD_FAILURE() << "a held file read as if it were empty";
    } catch (const EFileRead& failure) {
        EXPECT_EQ(static_cast<unsigned long>(ERROR_SHARING_VIOLATION), failure.Code());
        EXPECT_EQ("Soubor " + held + " nelze přečíst: soubor používá jiný program.", failure.Message());
    }
    CloseHandle(holder);
    EXPECT_EQ("10.0.0.7", ReadSettingsFile(held).Text(Field::IP));

    // Missing, or a folder of that name: every key its default, no failure.
    CreateDirectoryA((folder / "složka.ini").c_str(), nullptr);
    for (const std::string& path : {folder / "žádný.ini", folder / "složka.ini", folder / "chybí\\nic.ini"}) {
        const IniFile ini(path);
        EXPECT_FALSE(ini.Exists()) << path;
        EXPECT_EQ(7, ini.ReadInteger("Nastavení", "Left", 7)) << path;
    }

    // While it is read, no other program can lock the file away from the reads.
    const IniFile reading(held);
    EXPECT_EQ(INVALID_HANDLE_VALUE,
        CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ("10.0.0.7", reading.ReadString("Nastavení", "ip", ""));
}

TEST(SettingsFile, AFailedWriteNamesTheFile)
{
    TempFolder folder("settings");
    const std::string locked = folder / "zamčený soubor.dat";
    HANDLE holder = CreateFileA(
        locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);

    const std::pair<std::string, const char*> cases[] = {
        {folder / "neexistující složka\\nastavení.dat", "složka neexistuje"},
        {locked, "soubor používá jiný program"},
        {folder / std::string(300, 'd') + "\\a.dat", "cesta je příliš dlouhá"},
    };
    for (const auto& [path, reason] : cases) {
        try {
            WriteSettingsFile(path, FieldValues{});
            ADD_FAILURE() << "no failure writing " << path;
        } catch (const Exception& failure) {
            EXPECT_EQ("Do souboru " + path + " nelze zapisovat: " + reason + ".", failure.Message());
        }
    }
    CloseHandle(holder);
    EXPECT_EQ("", ReadBytes(locked));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder / "neexistující složka").c_str()));
}

TEST(SettingsFile, ANameWithoutAFolderIsInTheCurrentFolder)
{
    // The profile functions alone would look for it in the Windows folder.
    TempFolder folder("settings");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));

    const std::string name = "relativní " + std::to_string(GetCurrentProcessId()) + ".dat";
    WriteSettingsFile(name, WithText(Field::IP, "10.2.2.2"));
    const bool existsHere = SettingsFileExists(name);
    WriteBytes(name, "[Nastavení]\r\nip=10.3.3.3\r\n");
    const std::string read = ReadSettingsFile(name).Text(Field::IP);

    SetCurrentDirectoryA(previous);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string inWindows = std::string(windows) + "\\" + name;
    const bool existsInWindows = GetFileAttributesA(inWindows.c_str()) != INVALID_FILE_ATTRIBUTES;
    DeleteFileA(inWindows.c_str());

    EXPECT_TRUE(existsHere);
    EXPECT_FALSE(existsInWindows);
    EXPECT_EQ("10.3.3.3", read);
}

}  // namespace

// A folder whose path leaves room for the file's name but not for a longer
// one: the copy beside the file must fit where the file does.
TEST(SettingsFile, SavesIntoAFolderWhosePathNearlyReachesTheLimit)
{
    TempFolder folder("long");
    for (const std::size_t length : {244u, 247u, 253u}) {
        const std::string deep = folder / std::string(length - folder.Path().size(), 'd');
        ASSERT_EQ(deep.size(), length);
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << length;
        const std::string path = deep + "\\a.dat";
        ASSERT_LT(path.size(), static_cast<std::size_t>(MAX_PATH));
        for (const char* ip : {"10.0.0.1", "10.0.0.2"}) {  // a new file, then one to replace
            EXPECT_NO_THROW(WriteSettingsFile(path, WithText(Field::IP, ip))) << length;
            EXPECT_EQ(ReadSettingsFile(path).Text(Field::IP), ip) << length;
        }
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((deep + "\\*.tmp").c_str(), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a copy is left: " << found.cFileName;
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        DeleteFileA(path.c_str());
        RemoveDirectoryA(deep.c_str());
    }
}

// The name of the copy an update of `path` makes beside it, as a watcher of
// the folder, armed before the update, sees it appear; empty when none did.
std::string CopyNameOf(const TempFolder& folder, const std::string& path)
{
    HANDLE changes = CreateFileA(folder.Path().c_str(), FILE_LIST_DIRECTORY,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (changes == INVALID_HANDLE_VALUE)
        return {};
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    alignas(DWORD) char buffer[16384];
    std::string copy;
    bool armed = ReadDirectoryChangesW(
        changes, buffer, sizeof buffer, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, nullptr, &overlapped, nullptr);
    WriteSettingsFile(path, FieldValues{});
    while (armed && copy.empty()) {
        DWORD returned = 0;
        if (WaitForSingleObject(overlapped.hEvent, 5000) != WAIT_OBJECT_0
            || !GetOverlappedResult(changes, &overlapped, &returned, FALSE) || returned == 0)
            break;
        for (auto* entry = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(buffer);; entry
             = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(reinterpret_cast<char*>(entry) + entry->NextEntryOffset)) {
            const std::wstring file(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (entry->Action == FILE_ACTION_ADDED && file.rfind(L"tmk", 0) == 0 && copy.empty())
                copy = std::string(file.begin(), file.end());
            if (!entry->NextEntryOffset)
                break;
        }
        ResetEvent(overlapped.hEvent);
        armed = copy.empty()
            && ReadDirectoryChangesW(
                changes, buffer, sizeof buffer, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, nullptr, &overlapped, nullptr);
    }
    CancelIo(changes);
    CloseHandle(changes);
    CloseHandle(overlapped.hEvent);
    return copy;
}

// A reader (a scanner, a backup, an editor) that has the file, or a copy a
// killed program left, open for a moment while the file is replaced: the
// update waits for it rather than fail, and nothing is left over.
TEST(SettingsFile, AFileHeldForAMomentWhileItIsReplacedIsReplacedAllTheSame)
{
    for (const bool holdTheCopy : {false, true}) {
        SCOPED_TRACE(holdTheCopy ? "a copy left over held" : "the file held");
        TempFolder folder("held");
        const std::string path = folder / "drzeny.dat";
        WriteBytes(path, "[Nastavení]\r\nIP=1.1.1.1\r\n");
        std::string held = path;
        if (holdTheCopy) {
            const std::string copy = CopyNameOf(folder, path);
            ASSERT_FALSE(copy.empty()) << "no copy seen";
            held = folder / copy;
            WriteBytes(held, "[Nastavení]\r\nIP=9.9.9.9\r\n");
        }
        // Open for reading and writing, as others may open it too, but not
        // to be deleted or replaced meanwhile.
        HANDLE file = CreateFileA(
            held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        std::thread holder([&] {
            Sleep(150);
            CloseHandle(file);
        });
        EXPECT_NO_THROW(WriteSettingsFile(path, WithText(Field::IP, "10.0.0.7")));
        holder.join();
        EXPECT_EQ(ReadSettingsFile(path).Text(Field::IP), "10.0.0.7");
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder / "*.tmp").c_str(), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a copy is left: " << found.cFileName;
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
}

// A wide file of that name, with its bytes.
void WriteWide(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// A name with a letter outside the code page ("è") names that file and no
// other: through its short form where it exists, refused where it cannot.
TEST(FileNames, ANameOutsideTheCodePageNamesNoOtherFile)
{
    TempFolder folder("names");
    const std::wstring root = ToWide(folder.Path());
    const std::wstring michele = root + L"Mich\u00E8le";
    ASSERT_TRUE(CreateDirectoryW(michele.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"Michele").c_str(), nullptr));
    WriteWide(michele + L"\\doma.dat", "[Nastavení]\r\nIP=10.0.0.2\r\n");
    WriteWide(root + L"Michele\\doma.dat", "[Nastavení]\r\nIP=10.0.0.1\r\n");
    WriteWide(root + L"Caf\u00E9-\u00E8.dat", "[Nastavení]\r\nIP=10.0.0.3\r\n");
    WriteWide(root + L"Caf\u00E9-e.dat", "[Nastavení]\r\nIP=10.0.0.4\r\n");

    // Names the code page has are taken as they stand.
    EXPECT_EQ(AnsiFileName(root + L"S\u00ED\u0165.dat"), folder / "Síť.dat");
    // An existing file in a folder outside the code page, and a new one
    // there, reach that folder.
    const std::string existing = AnsiFileName(michele + L"\\doma.dat");
    EXPECT_EQ(ReadSettingsFile(existing).Text(Field::IP), "10.0.0.2") << existing;
    const std::string fresh = AnsiFileName(michele + L"\\nový.dat");
    WriteSettingsFile(fresh, WithText(Field::IP, "10.0.0.5"));
    EXPECT_NE(GetFileAttributesW((michele + L"\\nový.dat").c_str()), INVALID_FILE_ATTRIBUTES) << fresh;
    EXPECT_EQ(GetFileAttributesA((folder / "Michele\\nový.dat").c_str()), INVALID_FILE_ATTRIBUTES);
    // An existing file whose own name is outside the code page.
    EXPECT_EQ(ReadSettingsFile(AnsiFileName(root + L"Caf\u00E9-\u00E8.dat")).Text(Field::IP), "10.0.0.3");
    // A new one has no name the ANSI calls could reach: refused, named.
    try {
        AnsiFileName(root + L"Caf\u00E9-\u00E8 nov\u00FD.dat");
        ADD_FAILURE() << "a name without an ANSI form was taken";
    } catch (const EFileName& refused) {
        EXPECT_EQ(refused.Message().rfind("Soubor " + folder.Path() + "Café-? nový.dat nelze použít:", 0), 0u)
            << refused.Message();
    }
    EXPECT_EQ(ReadSettingsFile(folder / "Michele\\doma.dat").Text(Field::IP), "10.0.0.1")
        << "the look-alike is untouched";
    EXPECT_EQ(ReadSettingsFile(folder / "Café-e.dat").Text(Field::IP), "10.0.0.4");

    for (const std::wstring& file : {michele + L"\\doma.dat", michele + L"\\nový.dat", root + L"Caf\u00E9-\u00E8.dat"})
        DeleteFileW(file.c_str());
    RemoveDirectoryW(michele.c_str());
}
