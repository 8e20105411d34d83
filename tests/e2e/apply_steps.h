// What the tests of the apply button share: the connection they apply to,
// the messages and status texts, and the steps of a user who types, applies
// and reads what the program says and writes.
#pragma once

#include "tests/e2e/e2e_fixture.h"

namespace e2e {

using common::WaitForChooserAsking;
using common::WindowColour;

inline const char kName[] = "Připojení k místní síti";
inline const NetConnection kLan{kName, false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1, 8.8.8.8"};
// No gateway and no DNS server: empty fields that agree with the system.
inline const NetConnection kBare{kName, false, "10.8.0.2", "255.255.255.252", "", ""};
inline const char kLeasePool[] = "dhcp_pool = 10.0.0.100\r\ndhcp_mask = 255.255.255.0\r\ndhcp_gateway = 10.0.0.1\r\n";

// The line breaks of these messages are LF CR LF CR.
inline const char kBadIp[] = "Byla zadána neplatná IP adresa.\n\r\n\rAdresu musíte opravit!";
inline const char kBadMask[] = "Byla zadána neplatná maska podsítě.\n\r\n\rAdresu musíte opravit!";
inline const char kBadGateway[] = "Byla zadána neplatná brána.\n\r\n\rAdresu musíte opravit!";
inline const char kBadDns[] = "Byl zadán neplatný server DNS.\n\r\n\rAdresu musíte opravit!";
inline const char kBadDns2[] = "Byl zadán neplatný náhradní server DNS.\n\r\n\rAdresu musíte opravit!";
inline const char kBadProxy[] = "Byla zadána neplatná IP adresa Proxy serveru.\n\r\n\rAdresu musíte opravit!";

inline const char kStatusAddress[] = "Nastavuji IP adresu, čekejte...";
inline const char kStatusDns[] = "Nastavuji server DNS, čekejte...";
inline const char kStatusRenew[] = "Obnovuji připojení, čekejte...";
inline const char kStatusDone[] = "Hotovo, čekejte...";

inline const char kRelease[] = "ipconfig /release";
inline const char kRenew[] = "ipconfig /renew";

inline std::string Netsh(const std::string& command, const std::string& arguments)
{
    return "netsh interface ip " + command + " \"" + std::string(kName) + "\" " + arguments;
}

inline bool PutOnClipboard(const std::string& text)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory) {
        memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory))
            GlobalFree(memory);
    }
    CloseClipboard();
    return memory != nullptr;
}

// Replaces a field's text as a user does: click into it, select it all with
// the keyboard, type over it. A long text is pasted: typed, it would take
// half a minute.
inline void Retype(HWND field, const std::string& text)
{
    if (Text(field) == text)
        return;
    ASSERT_TRUE(Enabled(field)) << "cannot type into a disabled field";
    ASSERT_TRUE(ClickSurely(field, 5, 5));
    PressKey(VK_END);
    PressKey(VK_HOME, {VK_SHIFT});
    if (text.empty()) {
        PressKey(VK_DELETE);
    } else if (text.size() > 100) {
        ASSERT_TRUE(PutOnClipboard(text));
        PressKey('V', {VK_CONTROL});
    } else {
        TypeText(text);
    }
    ASSERT_TRUE(WaitUntil([&] { return Text(field) == text; }, 20s))
        << "typed " << text.size() << " characters, the field has " << Text(field).size();
}

inline void ClickToState(HWND button, bool checked)
{
    if (Checked(button) == checked)
        return;
    ASSERT_TRUE(ClickSurely(button, 6, 8));
    ASSERT_TRUE(WaitUntil([&] { return Checked(button) == checked; }, 20s));
}

inline void ClickApply(const MainWindow& window)
{
    ASSERT_TRUE(ClickSurely(window.apply, 140, 12));
}

// The message boxes the program shows from now on, each read and confirmed
// before the next may come; `expected` says how many to wait for patiently.
inline std::vector<std::string> ConfirmMessages(DWORD processId, std::size_t expected)
{
    std::vector<std::string> texts;
    while (texts.size() < 10) {
        const auto box = WaitForMessageBox(processId, texts.size() < expected ? 20s : 500ms);
        if (!box)
            break;
        EXPECT_EQ(box->caption, "Tamarko");
        texts.push_back(box->text);
        PressButton(box->window);
    }
    return texts;
}

// The end of an apply: the read-back has filled the window again and
// unlocked it, after `journalLines` command lines in all.
inline bool WaitForApplyEnd(
    const MainWindow& window, const ProgramFolder& folder, std::size_t journalLines, Duration timeout = 20s)
{
    return WaitUntil(
        [&] {
            return folder.Journal().size() >= journalLines && Text(window.statusBar) == kStateLegend
                && Enabled(window.form) && Enabled(window.apply);
        },
        timeout);
}

struct RegistryValue {
    DWORD type = REG_NONE;
    std::string bytes;
};

inline std::optional<RegistryValue> ReadProxyValue(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.bytes.data()), &size);
        value.bytes.resize(size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// The proxy values as the program wrote them: a DWORD switch and a string.
inline void ExpectProxyWritten(DWORD enable, const std::string& server)
{
    const auto written = ReadProxyValue("ProxyEnable");
    ASSERT_TRUE(written.has_value()) << "ProxyEnable was not written";
    EXPECT_EQ(written->type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(written->bytes.size(), sizeof(DWORD));
    DWORD value = 0;
    memcpy(&value, written->bytes.data(), sizeof value);
    EXPECT_EQ(value, enable);
    const auto address = ReadProxyValue("ProxyServer");
    ASSERT_TRUE(address.has_value()) << "ProxyServer was not written";
    EXPECT_EQ(address->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(address->bytes.c_str()), server);
}

inline void ExpectShowsTheSystem(const MainWindow& window)
{
    for (HWND control : window.StateControls())
        EXPECT_TRUE(window.PaintedIn(control, kLime)) << ClassName(control) << " " << Text(control);
    EXPECT_EQ(Text(window.statusBar), kStateLegend);
    EXPECT_TRUE(Enabled(window.form));
    EXPECT_TRUE(Enabled(window.apply));
}

// Picks entry `index` of the chooser's list as a user does: a click, then Enter.
inline void Choose(HWND chooser, int index)
{
    BringToFront(chooser);
    ASSERT_TRUE(ClickSurely(FindControl(chooser, 0, 32), 40, 6 + 13 * index));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(chooser); }, 20s));
}

}  // namespace e2e
