// What every end-to-end test shares: a fresh program folder named after the
// test, and the texts the program shows.
#pragma once

#include "tests/support/driver.h"
#include "tests/support/recording.h"
#include "ui/commands.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace std::chrono_literals;

inline const char kPlacementSection[] = "Nastavení";
inline const char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline const char kReportCommand[] = "netsh interface ip show config";
inline const char kStateLegend[] = "Zeleně podbarvené položky = aktuální stav.";
inline const COLORREF kLime = RGB(0, 255, 0);
// The stand-ins' gate, which ProgramFolder::OpenGate opens for one run.
inline const char kGate[] = "netsim-gate";

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

// The current user's proxy values; nullptr removes a value.
inline void PlantProxy(const int* enable, const char* server)
{
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    if (enable) {
        const DWORD value = static_cast<DWORD>(*enable);
        RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    } else {
        RegDeleteValueA(key, "ProxyEnable");
    }
    if (server)
        RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server),
            static_cast<DWORD>(strlen(server) + 1));
    else
        RegDeleteValueA(key, "ProxyServer");
    RegCloseKey(key);
}

inline std::string LocalComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    return name;
}

// The main window's controls, found where the design puts them.
struct MainWindow {
    explicit MainWindow(HWND form)
        : form(form)
    {
        using e2e::FindControl;
        group = FindControl(form, 8, 240);
        toolBar = FindControl(form, 0, 0);
        computerName = FindControl(form, 152, 48);
        connectionName = FindControl(form, 152, 70);
        manual = FindControl(form, 152, 91);
        automatic = FindControl(form, 208, 91);
        ip = FindControl(form, 152, 112);
        mask = FindControl(form, 152, 136);
        gateway = FindControl(form, 152, 160);
        dns = FindControl(form, 152, 184);
        dns2 = FindControl(form, 152, 208);
        proxy = FindControl(group, 144, 24);
        proxyAddress = FindControl(group, 144, 42);
        proxyPort = FindControl(group, 144, 66);
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

class TamarkoTest : public ::testing::Test {
protected:
    TamarkoTest()
        : folder(::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
    }

    // Starts Tamarko and waits for its main window.
    HWND Start(const std::string& arguments = "", const std::map<std::string, std::string>& environment = {})
    {
        program = e2e::StartTamarko(folder, arguments, environment);
        HWND form = e2e::WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
        EXPECT_NE(form, nullptr) << "the main window did not appear";
        return form;
    }
    // Starts Tamarko and waits until it shows a connection's state.
    HWND StartFilled(const std::string& arguments = "")
    {
        HWND form = Start(arguments);
        if (form) {
            EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(MainWindow(form).statusBar) == kStateLegend; }))
                << "the window was not filled";
        }
        return form;
    }
    // Closes the main window as its "Zavřít" command does and waits for the end.
    void CloseAndWait(HWND form)
    {
        e2e::PostCommand(form, cmClose);
        EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the program did not end";
    }

    // A start that refuses to run: `message` in a box captioned "Tamarko" and
    // nothing else on screen; once it is confirmed the program ends without
    // ever showing its windows, and no INI file was written.
    void ExpectRefusedStart(const std::string& message)
    {
        const auto box = e2e::WaitForMessageBox(program.Id());
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->caption, "Tamarko");
        EXPECT_EQ(box->text, message);
        EXPECT_EQ(e2e::VisibleTopWindowClasses(program.Id()), std::set<std::string>{"#32770"}) << "nothing but the box";
        e2e::PressButton(box->window);
        const auto shown = e2e::WindowsShownUntilExit(program);
        ASSERT_TRUE(shown.has_value()) << "the program ends once the box is confirmed";
        EXPECT_EQ(shown->count("TForm1"), 0u) << "the main window is never shown";
        EXPECT_EQ(shown->count("TForm2"), 0u) << "nor the chooser";
        EXPECT_FALSE(e2e::FileExists(folder.IniPath())) << "the INI file is neither read nor written";
    }

    // A program the test left open, usable and asking nothing is closed as a
    // user closes it, so that what it leaves behind can be judged too; then
    // every recorded program of the test is held to Windows' rules.
    void TearDown() override
    {
        if (program.Running()) {
            HWND form = e2e::FindTopWindow(program.Id(), "TForm1", "Tamarko", false);
            if (form && e2e::Enabled(form) && !e2e::FindTopWindow(program.Id(), "#32770")) {
                e2e::Step("the end of the test: Zavřít");
                e2e::PostCommand(form, cmClose);
                program.WaitForExit(10s);
            }
        }
        for (const std::string& broken : e2e::BrokenRules(folder))
            ADD_FAILURE() << "Windows' rule broken in " << broken;
    }

    e2e::ProgramFolder folder;
    e2e::Process program;
};
