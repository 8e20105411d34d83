#include "win32/registry.h"

#include <shlwapi.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

namespace {

// Raw registry access, so the tests see exactly what was stored where.
void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& data)
{
    HKEY key = nullptr;
    ASSERT_EQ(
        ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS,
        RegSetValueExA(
            key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())));
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Type and bytes of a stored value; type REG_NONE with "missing" when absent.
std::pair<DWORD, std::string> GetRaw(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {REG_NONE, "missing"};
    DWORD type = 0, size = 0;
    std::pair<DWORD, std::string> value{REG_NONE, "missing"};
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string data(size, '\0');
        RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        value = {type, data.substr(0, size)};
    }
    RegCloseKey(key);
    return value;
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ERegistryException& e) {
        return e.Message();
    }
    return "(no error)";
}

std::string Dword(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

class Registry : public ::testing::Test {
protected:
    // Per process, so that parallel runs in one prefix keep apart.
    const std::string base = "Software\\TamarkoTests\\Registry" + std::to_string(GetCurrentProcessId());
    const std::string key = base + "\\Values";

    void TearDown() override
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, base.c_str());
        SHDeleteKeyA(HKEY_CLASSES_ROOT, base.c_str());
    }
};

TEST_F(Registry, ValuesRoundTripAsStoredTypes)
{
    const std::string texts[] = {"", "proxy.example.cz:8080", ":", "Připojení k místní síti", std::string(300, 'x')};
    for (const std::string& text : texts) {
        RegWriteString("HKCU", key, "text", text, false);
        EXPECT_EQ(text, RegReadString("HKCU", key, "text"));
        EXPECT_EQ(std::make_pair(DWORD{REG_SZ}, text + '\0'), GetRaw(HKEY_CURRENT_USER, key, "text"))
            << "REG_SZ with its terminating NUL";
    }
    for (const int number : {0, 1, -1, 259, INT_MIN, INT_MAX}) {
        RegWriteInteger("HKCU", key, "number", number, false);
        EXPECT_EQ(number, RegReadInteger("HKCU", key, "number"));
        EXPECT_EQ(std::make_pair(DWORD{REG_DWORD}, Dword(static_cast<DWORD>(number))),
            GetRaw(HKEY_CURRENT_USER, key, "number"));
    }
}

TEST_F(Registry, MissingKeysAndValuesGiveDefaultsAndCreateNothing)
{
    const std::string missing = base + "\\Missing\\Deeper";
    EXPECT_EQ("", RegReadString("HKCU", missing, "ProxyServer"));
    EXPECT_EQ(-1, RegReadInteger("HKCU", missing, "ProxyEnable"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, base + "\\Missing"));

    SetRaw(HKEY_CURRENT_USER, key, "other", REG_SZ, std::string("x", 2));
    EXPECT_EQ("", RegReadString("HKCU", key, "ProxyServer"));
    EXPECT_EQ(-1, RegReadInteger("HKCU", key, "ProxyEnable"));
}

TEST_F(Registry, WritingCreatesEveryMissingKeyOnThePath)
{
    const std::string deep = base + "\\A\\B\\C";
    RegWriteString("HKCU", deep, "ProxyServer", "host:8080", false);
    RegWriteInteger("HKCU", deep + "\\D", "ProxyEnable", 1, false);
    EXPECT_EQ("host:8080", RegReadString("HKCU", deep, "ProxyServer"));
    EXPECT_EQ(1, RegReadInteger("HKCU", deep + "\\D", "ProxyEnable"));
}

TEST_F(Registry, ReadsRefuseValuesOfAnotherTypeOrSize)
{
    static const char kWrongType[] = "Hodnota „v“ v registru má neplatný datový typ";
    static const char kCannotRead[] = "Hodnotu „v“ nelze z registru přečíst";
    struct Case {
        DWORD type;
        std::string data;
        bool asInteger;
        const char* message;
    };
    const Case cases[] = {
        {REG_DWORD, Dword(1), false, kWrongType},
        {REG_BINARY, "abc", false, kWrongType},
        {REG_MULTI_SZ, std::string("a\0b\0\0", 5), false, kWrongType},
        {REG_SZ, std::string("1\0", 2), true, kWrongType},
        {REG_EXPAND_SZ, std::string("1\0", 2), true, kWrongType},
        {REG_BINARY, Dword(1), true, kWrongType},
        {REG_DWORD_BIG_ENDIAN, Dword(1), true, kWrongType},
        // Longer than four bytes: the integer read fails before the type is
        // looked at, whatever the type.
        {REG_SZ, std::string("a long text\0", 12), true, kCannotRead},
        {REG_QWORD, Dword(1) + Dword(0), true, kCannotRead},
        {REG_BINARY, Dword(1) + Dword(0), true, kCannotRead},
        {REG_DWORD, Dword(1) + Dword(0), true, kCannotRead},
        // Shorter than four: a wrong type is the wrong type; a DWORD that
        // does not hold four bytes cannot be taken as one.
        {REG_BINARY, "ab", true, kWrongType},
        {REG_SZ, "", true, kWrongType},
        {REG_DWORD, std::string("\1\0", 2), true, kCannotRead},
    };
    for (const Case& c : cases) {
        SetRaw(HKEY_CURRENT_USER, key, "v", c.type, c.data);
        const auto read = [&] {
            if (c.asInteger)
                RegReadInteger("HKCU", key, "v");
            else
                RegReadString("HKCU", key, "v");
        };
        EXPECT_EQ(c.message, ErrorOf(read)) << "type " << c.type << ", " << c.data.size() << " bytes";
    }
}

TEST_F(Registry, StringsAreTakenUnexpandedUpToTheFirstNul)
{
    const struct {
        DWORD type;
        std::string stored;
        std::string read;
    } values[] = {
        {REG_EXPAND_SZ, std::string("%SystemRoot%\\x\0", 15), "%SystemRoot%\\x"},
        {REG_SZ, "no terminator", "no terminator"},
        {REG_SZ, std::string("before\0after\0", 13), "before"},
        {REG_SZ, "", ""},
    };
    for (const auto& v : values) {
        SetRaw(HKEY_CURRENT_USER, key, "s", v.type, v.stored);
        EXPECT_EQ(v.read, RegReadString("HKCU", key, "s"));
    }
    // The whole of a value far larger than any fixed buffer.
    std::string huge(1 << 20, 'h');
    huge[12345] = 'q';
    huge.back() = 'z';
    RegWriteString("HKCU", key, "huge", huge, false);
    EXPECT_EQ(huge, RegReadString("HKCU", key, "huge"));
}

TEST_F(Registry, RootNamesAreMatchedExactly)
{
    const std::pair<HKEY, const char*> roots[]
        = {{HKEY_CURRENT_USER, "HKCU"}, {HKEY_LOCAL_MACHINE, "HKLM"}, {HKEY_CLASSES_ROOT, "HKCR"}};
    const std::pair<const char*, const char*> cases[] = {
        {"HKCU", "HKCU"},
        {"HKLM", "HKLM"},
        {"HKCR", "HKCR"},
        {"hklm", "HKCU"},
        {"hkcr", "HKCU"},
        {"Hklm", "HKCU"},
        {"HKLM ", "HKCU"},
        {"", "HKCU"},
        {"HKEY_LOCAL_MACHINE", "HKCU"},
        {"HKEY_CLASSES_ROOT", "HKCU"},
    };
    for (const auto& [name, expected] : cases) {
        for (const auto& [root, marker] : roots)
            SetRaw(root, key, "marker", REG_SZ, std::string(marker) + '\0');
        EXPECT_EQ(expected, RegReadString(name, key, "marker")) << "read with root '" << name << "'";

        RegWriteString(name, key, "marker", "written", false);
        for (const auto& [root, marker] : roots) {
            const bool chosen = std::string(marker) == expected;
            EXPECT_EQ(std::string(chosen ? "written" : marker), GetRaw(root, key, "marker").second.c_str())
                << "write with root '" << name << "' seen under " << marker;
        }
    }
}

TEST_F(Registry, TheDeleteFlagDeletesTheValueInstead)
{
    RegWriteString("HKCU", key, "ProxyServer", "host:1", false);
    RegWriteInteger("HKCU", key, "ProxyEnable", 1, false);
    RegWriteString("HKCU", key, "ProxyServer", "ignored", true);
    RegWriteInteger("HKCU", key, "ProxyEnable", 7, true);
    EXPECT_EQ("missing", GetRaw(HKEY_CURRENT_USER, key, "ProxyServer").second);
    EXPECT_EQ("missing", GetRaw(HKEY_CURRENT_USER, key, "ProxyEnable").second);
    EXPECT_EQ("(no error)", ErrorOf([&] { RegWriteString("HKCU", key, "ProxyServer", "", true); }))
        << "deleting what is gone already";
}

TEST_F(Registry, RefusedWritesRaiseWithTheValueName)
{
    // A key that cannot be opened, a key that cannot be created (a lasting
    // key under a volatile one) and a value name the registry refuses.
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\Volatile").c_str(), 0, nullptr, REG_OPTION_VOLATILE,
            KEY_ALL_ACCESS, nullptr, &parent, nullptr));
    RegCloseKey(parent);
    const std::string longName(20000, 'n');
    const std::pair<std::string, std::string> cases[]
        = {{"\\" + key, "ProxyServer"}, {base + "\\Volatile\\Child", "ProxyEnable"}, {key, longName}};
    for (const auto& [path, name] : cases) {
        // Named, in Czech, with Windows' reason where it gave one.
        const std::string expected = "Hodnotu „" + name + "“ nelze do registru zapsat";
        for (const std::string& error : {ErrorOf([&] { RegWriteString("HKCU", path, name, "x", false); }),
                 ErrorOf([&] { RegWriteInteger("HKCU", path, name, 1, false); })}) {
            EXPECT_EQ(error.substr(0, expected.size()), expected) << path;
            EXPECT_TRUE(error.size() == expected.size() || error.compare(expected.size(), 2, ": ") == 0) << error;
        }
    }
}

}  // namespace
