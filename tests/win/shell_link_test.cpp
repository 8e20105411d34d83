#include "win32/shell_link.h"

#include "core/exception.h"
#include "tests/win/temp_folder.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

// COM for the test's thread, as the program sets it up at start.
class ShellLinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

// The program turns its ANSI paths into the UTF-16 link path this way.
std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length - 1 : 0);
    return wide;
}

bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string OwnExe()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

struct LinkContent {
    std::string target, arguments, workingFolder, description, iconFile;
    int iconIndex = -1;
};

// What the shell reads back from a saved shortcut.
LinkContent LoadLink(const std::string& path)
{
    LinkContent content;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(
            CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&link))))
        return content;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(Wide(path).c_str(), STGM_READ))) {
            char text[INFOTIPSIZE];
            if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)))
                content.target = text;
            if (SUCCEEDED(link->GetArguments(text, sizeof text)))
                content.arguments = text;
            if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
                content.workingFolder = text;
            if (SUCCEEDED(link->GetDescription(text, sizeof text)))
                content.description = text;
            int index = -1;
            if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &index))) {
                content.iconFile = text;
                content.iconIndex = index;
            }
        }
        file->Release();
    }
    link->Release();
    return content;
}

TEST_F(ShellLinkTest, TheShortcutHoldsWhatItWasGiven)
{
    TempFolder folder("link");
    const std::string exe = OwnExe();
    const struct {
        std::string linkName, workingFolder, arguments, description, iconFile;
        int iconIndex;
    } cases[] = {
        // As the quick buttons make them: a quoted settings file and nothing else.
        {"Doma.lnk", "", "\"C:\\Sítě\\Moje nastavení.dat\"", "", "", 0},
        {"Síť v práci.lnk", "C:\\windows", "\"D:\\Profily\\Kancelář č. 2.dat\"", "Zástupce Tamarka", exe, 1},
        // A slot whose path is empty still gets its shortcut, named ".lnk".
        {".lnk", "", "\"\"", "", "", 0},
    };
    for (const auto& c : cases) {
        const std::string path = folder / c.linkName;
        CreateShellLink(c.workingFolder, exe, c.arguments, Wide(path), c.description, c.iconFile, c.iconIndex);
        ASSERT_TRUE(IsFile(path)) << path;

        const LinkContent link = LoadLink(path);
        EXPECT_EQ(exe, link.target) << path;
        EXPECT_EQ(c.arguments, link.arguments) << path;
        EXPECT_EQ(c.workingFolder, link.workingFolder) << path;
        EXPECT_EQ(c.description, link.description) << path;
        EXPECT_EQ(c.iconFile, link.iconFile) << path;
        EXPECT_EQ(c.iconIndex, link.iconIndex) << path;
    }
}

TEST_F(ShellLinkTest, AnExistingShortcutIsReplaced)
{
    TempFolder folder("link");
    const std::string path = folder / "Doma.lnk";
    CreateShellLink("", OwnExe(), "\"C:\\starý.dat\"", Wide(path), "", "", 0);
    CreateShellLink("", OwnExe(), "\"C:\\nový.dat\"", Wide(path), "", "", 0);
    EXPECT_EQ("\"C:\\nový.dat\"", LoadLink(path).arguments);
}

TEST_F(ShellLinkTest, OneMissingFolderLevelIsCreated)
{
    TempFolder folder("link");
    const std::string oneLevel = folder / "Nová plocha\\Doma.lnk";
    CreateShellLink("", OwnExe(), "\"x.dat\"", Wide(oneLevel), "", "", 0);
    EXPECT_TRUE(IsFile(oneLevel));
    EXPECT_EQ("\"x.dat\"", LoadLink(oneLevel).arguments);

    // Two missing levels: nothing is created, and the user is told.
    const std::string twoLevels = folder / "první\\druhá\\Doma.lnk";
    try {
        CreateShellLink("", OwnExe(), "\"x.dat\"", Wide(twoLevels), "", "", 0);
        ADD_FAILURE() << "a shortcut that was not written was not said";
    } catch (const Exception& failure) {
        EXPECT_EQ(0u, failure.Message().find("Zástupce " + twoLevels + " nebyl vytvořen: ")) << failure.Message();
    }
    EXPECT_FALSE(IsFolder(folder / "první"));
    EXPECT_FALSE(IsFile(twoLevels));
}

TEST_F(ShellLinkTest, AShortcutThatCannotBeSavedIsSaid)
{
    // A folder already has the shortcut's name, as a full or read-only
    // desktop refuses the file: the shortcut was not made, and says why.
    TempFolder folder("link");
    const std::string path = folder / "Doma.lnk";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    try {
        CreateShellLink("", OwnExe(), "\"x.dat\"", Wide(path), "", "", 0);
        ADD_FAILURE() << "a shortcut that was not written was not said";
    } catch (const Exception& failure) {
        EXPECT_EQ("Zástupce " + path + " nebyl vytvořen: přístup byl odepřen.", failure.Message());
    }
    EXPECT_TRUE(IsFolder(path));
}

TEST_F(ShellLinkTest, WithoutTheShellLinkObjectNothingIsWritten)
{
    // A thread that never initialised COM cannot create the object; that is
    // the one failure of object creation that can be brought about here.
    TempFolder folder("link");
    const std::string path = folder / "Chybí\\Doma.lnk";
    std::string message;
    bool raised = false;
    std::thread([&] {
        try {
            CreateShellLink("", OwnExe(), "\"x.dat\"", Wide(path), "", "", 0);
        } catch (const Exception& failure) {
            raised = true;
            message = failure.Message();
        }
    }).join();

    ASSERT_TRUE(raised);
    // Wine has no system text for CO_E_NOTINITIALIZED, so the code stands in.
    EXPECT_EQ("Chyba 0x800401F0, ClassID: {00021401-0000-0000-C000-000000000046}", message);
    EXPECT_FALSE(IsFolder(folder / "Chybí"));
}

TEST(DesktopFolder, IsAnExistingFolderWithoutTrailingBackslash)
{
    const std::wstring desktop = GetDesktopFolder();
    ASSERT_FALSE(desktop.empty());
    EXPECT_NE(L'\\', desktop.back());
    const DWORD attributes = GetFileAttributesW(desktop.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

// Deletes a registry key with all its subkeys.
void DeleteKeyTree(HKEY parent, const std::string& name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char child[256];
    DWORD length = sizeof child;
    while (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        DeleteKeyTree(key, child);
        length = sizeof child;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name.c_str());
}

TEST(DesktopFolder, IsEmptyWhenTheSystemCannotNameIt)
{
    // For this process alone, the current user's key is replaced by one whose
    // desktop lies in a folder that does not exist; the query does not create it.
    const std::string standIn = "Software\\Tamarko test desktop " + std::to_string(GetCurrentProcessId());
    HKEY user;
    ASSERT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(HKEY_CURRENT_USER, standIn.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user, nullptr));
    const char missing[] = "C:\\tamarko-no-such-folder\\Desktop";
    for (const char* folders : {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
             "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"}) {
        HKEY key;
        RegCreateKeyExA(user, folders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, "Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof missing);
        RegCloseKey(key);
    }

    const bool overridden = RegOverridePredefKey(HKEY_CURRENT_USER, user) == ERROR_SUCCESS;
    const std::wstring desktop = overridden ? GetDesktopFolder() : L"(not overridden)";
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(user);
    DeleteKeyTree(HKEY_CURRENT_USER, standIn);

    ASSERT_TRUE(overridden);
    EXPECT_EQ(L"", desktop);
    EXPECT_FALSE(GetDesktopFolder().empty()) << "the real desktop is back";
}

}  // namespace
