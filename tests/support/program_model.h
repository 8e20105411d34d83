// What the tests know of Tamarko itself: the texts it shows, the stand-ins'
// machine state, and the main window's controls where its design puts them.
#pragma once

#include "tests/support/driver.h"

#include <cstring>
#include <string>
#include <vector>

using namespace std::chrono_literals;

inline const char kPlacementSection[] = "Nastavení";
inline const char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline const char kReportCommand[] = "netsh interface ip show config";
inline const char kStateLegend[] = "Zeleně podbarvené položky = aktuální stav.";
inline const COLORREF kLime = RGB(0, 255, 0);

// Writes the current user's proxy switch and server, as Internet Explorer
// keeps them; nullptr removes a value. False when the key cannot be opened.
inline bool WriteProxyValues(const int* enable, const char* server)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return false;
    if (enable) {
        const DWORD value = static_cast<DWORD>(*enable);
        RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    } else {
        RegDeleteValueA(key, "ProxyEnable");
    }
    if (server)
        RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server),
            static_cast<DWORD>(std::strlen(server) + 1));
    else
        RegDeleteValueA(key, "ProxyServer");
    RegCloseKey(key);
    return true;
}
// A quick button's window text: the name a screen reader reads, which tells
// it from the other four, and its hint.
inline std::string QuickButtonName(int slot, const std::string& hint)
{
    return "Rychlé tlačítko " + std::to_string(slot + 1) + ": " + hint;
}

// The stand-ins' gate, which ProgramFolder::OpenGate opens for one run.
inline const char kGate[] = "netsim-gate";

// Helpers more than one test file needs, in a namespace of their own: a file
// that still holds its own copy of one keeps compiling while it is moved over.
namespace e2e::common {

// The colour of a field that differs from the current state: the scheme's.
inline COLORREF WindowColour()
{
    return GetSysColor(COLOR_WINDOW);
}

inline const char kChooserCaption[] = "Výběr z dostupných síťových připojení";
// The connection chooser once it is shown.
inline HWND WaitForChooser(DWORD processId)
{
    return e2e::WaitForTopWindow(processId, "TForm2", kChooserCaption);
}
// The chooser once it asks: enabled, with more than one connection listed.
inline HWND WaitForChooserAsking(DWORD processId)
{
    HWND chooser = WaitForChooser(processId);
    if (chooser)
        e2e::WaitUntil(
            [&] { return e2e::Enabled(chooser) && e2e::ListItems(e2e::FindControl(chooser, 0, 32)).size() > 1; }, 20s);
    return chooser;
}

}  // namespace e2e::common

// One simulated connection; texts in the program's code page.
struct NetConnection {
    std::string name;
    bool dhcp = false;
    std::string ip, mask, gateway, dns;  // dns: servers separated by commas
};

inline NetConnection DhcpConnection(const std::string& name)
{
    NetConnection connection;
    connection.name = name;
    connection.dhcp = true;
    return connection;
}

// The stand-ins' state file (UTF-8) for these connections.
inline std::string NetsimState(const std::vector<NetConnection>& connections, const std::string& simulator = "")
{
    std::string state = "[netsim]\r\n" + simulator;
    for (const NetConnection& c : connections) {
        state += "[connection]\r\nname = " + c.name + "\r\ndhcp = " + (c.dhcp ? "yes" : "no") + "\r\n";
        if (!c.ip.empty())
            state += "ip = " + c.ip + "\r\nmask = " + c.mask + "\r\n";
        if (!c.gateway.empty())
            state += "gateway = " + c.gateway + "\r\n";
        if (!c.dns.empty())
            state += "dns = " + c.dns + "\r\n";
    }
    return e2e::AnsiToUtf8(state);
}

// The main window's controls, found where the design puts them.
struct MainWindow {
    explicit MainWindow(HWND form)
        : form(form)
    {
        using e2e::ControlAt;
        using e2e::FindControl;
        group = FindControl(form, 8, 240);
        toolBar = FindControl(form, 0, 0);
        // A caption wider in the system's font than in the design leaves the
        // control beside it its right edge only: these are found by it.
        computerName = ControlAt(form, 285, 52);
        connectionName = ControlAt(form, 285, 74);
        manual = FindControl(form, 152, 91);
        automatic = ControlAt(form, 285, 99);
        ip = FindControl(form, 152, 112);
        mask = FindControl(form, 152, 136);
        gateway = FindControl(form, 152, 160);
        dns = FindControl(form, 152, 184);
        dns2 = FindControl(form, 152, 208);
        proxy = ControlAt(group, 268, 32);
        proxyAddress = ControlAt(group, 268, 52);
        proxyPort = ControlAt(group, 268, 76);
        apply = FindControl(form, 8, 344);
        statusBar = FindControl(form, 0, 376);
    }
    // The colour a control is painted in, in its top row, away from its text.
    // The manual radio button is partly covered by the automatic one.
    COLORREF Background(HWND control) const
    {
        const RECT client = e2e::ClientRect(control);
        return e2e::PixelAt(control, control == manual ? 50 : client.right - 3, 1);
    }
    // Whether the control is (or, after its repaint, becomes) painted in `color`.
    bool PaintedIn(HWND control, COLORREF color) const
    {
        return e2e::WaitUntil([&] { return Background(control) == color; }, 20s);
    }
    std::vector<HWND> StateControls() const
    {
        return {ip, mask, gateway, dns, dns2, manual, automatic, proxyAddress, proxyPort, proxy};
    }
    HWND form, group, toolBar, computerName, connectionName, manual, automatic, ip, mask, gateway, dns, dns2, proxy,
        proxyAddress, proxyPort, apply, statusBar;
};
