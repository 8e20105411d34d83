// netsh commands as Tamarko sends them: each command line either changes
// exactly what it should, or fails with exit code 1 and changes nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "tools/netsim/cmdline.h"
#include "tools/netsim/netsh.h"

namespace {

using netsim::Connection;
using netsim::MachineState;
using netsim::Outcome;

constexpr char kWired[] = "Připojení k místní síti";
constexpr char kWireless[] = "Bezdrátové připojení k síti";
constexpr char kWired2[] = "Připojení k místní síti 2";  // begins with kWired

MachineState BaseState()
{
    MachineState state;
    Connection wired;
    wired.name = kWired;
    wired.ip = "192.168.1.10";
    wired.mask = "255.255.255.0";
    wired.gateway = "192.168.1.1";
    wired.dns = {"192.168.1.1", "8.8.8.8"};
    Connection wireless;
    wireless.name = kWireless;
    wireless.dhcp = true;
    wireless.ip = "10.0.0.101";
    wireless.mask = "255.255.255.0";
    wireless.gateway = "10.0.0.1";
    wireless.dnsFromDhcp = true;
    Connection wired2;
    wired2.name = kWired2;
    wired2.ip = "10.1.1.1";
    wired2.mask = "255.0.0.0";
    state.connections = {wired, wireless, wired2};
    return state;
}

Outcome RunLine(MachineState& state, const std::string& commandLine)
{
    auto args = netsim::SplitCommandLine(commandLine);
    args.erase(args.begin());
    auto parsed = netsim::ParseNetsh(args);
    if (auto* failed = std::get_if<Outcome>(&parsed))
        return *failed;
    return netsim::RunNetsh(state, std::get<netsim::NetshCommand>(parsed));
}

std::string Quote(const char* name)
{
    return std::string("\"") + name + "\"";
}

TEST(Netsh, CommandsChangeTheNamedConnection)
{
    const std::string wired = Quote(kWired), wireless = Quote(kWireless);
    const struct {
        std::string line;
        std::function<void(MachineState&)> change;
    } cases[] = {
        {"netsh interface ip set address " + wired + " dhcp",
            [](MachineState& s) {
                Connection& c = s.connections[0];
                c.dhcp = true;
                c.ip = "10.0.0.100";  // the pool address plus the position, 0
                c.mask = "255.255.255.0";
                c.gateway = "10.0.0.1";
            }},
        {"netsh interface ip set address " + wired + " static 10.0.0.5 255.255.0.0 10.0.0.1 1",
            [](MachineState& s) {
                Connection& c = s.connections[0];
                c.ip = "10.0.0.5", c.mask = "255.255.0.0", c.gateway = "10.0.0.1";
            }},
        {"netsh interface ip set address " + wired + " static 192.168.001.010 255.255.255.000 192.168.001.001 5",
            [](MachineState& s) {
                Connection& c = s.connections[0];
                c.ip = "192.168.1.8";  // a leading zero means octal to Windows
                c.mask = "255.255.255.0", c.gatewayMetric = 5;
            }},
        {"netsh interface ip set address " + wired + " static 192.168.100.200 255.255.255.0 none",
            [](MachineState& s) {
                s.connections[0].ip = "192.168.100.200";
                s.connections[0].gateway.clear();
            }},
        {"netsh interface ip set address " + wireless + " static 1.2.3.4 255.0.0.0 none",
            [](MachineState& s) {
                Connection& c = s.connections[1];
                c.dhcp = false, c.ip = "1.2.3.4", c.mask = "255.0.0.0", c.gateway.clear();
            }},  // DNS from DHCP stays: address and DNS are set separately
        {"netsh interface ip set dns " + wired + " static 1.1.1.1",
            [](MachineState& s) { s.connections[0].dns = {"1.1.1.1"}; }},
        {"netsh interface ip set dns " + wired + " static NONE", [](MachineState& s) { s.connections[0].dns.clear(); }},
        {"netsh interface ip set dns " + wired + " dhcp",
            [](MachineState& s) {
                s.connections[0].dnsFromDhcp = true;
                s.connections[0].dns.clear();
            }},
        {"netsh interface ip add dns " + wired + " 9.9.9.9",
            [](MachineState& s) { s.connections[0].dns.push_back("9.9.9.9"); }},
        {"netsh interface ip add dns " + wired + " 9.9.9.9 1",
            [](MachineState& s) { s.connections[0].dns.insert(s.connections[0].dns.begin(), "9.9.9.9"); }},
        {"netsh interface ip add dns " + wired + " 011.9.9.9 99",
            [](MachineState& s) { s.connections[0].dns.push_back("9.9.9.9"); }},
        {"netsh interface ip add dns " + wireless + " 9.9.9.9",
            [](MachineState& s) {
                s.connections[1].dnsFromDhcp = false;
                s.connections[1].dns = {"9.9.9.9"};
            }},
        {"netsh interface ip set dns " + Quote(kWired2) + " static 2.2.2.2",
            [](MachineState& s) { s.connections[2].dns = {"2.2.2.2"}; }},
        {"NETSH Interface IP SET DNS " + wired + " DHCP",
            [](MachineState& s) {
                s.connections[0].dnsFromDhcp = true;
                s.connections[0].dns.clear();
            }},
        {"C:\\Tamarko\\netsh.exe interface ip set dns " + wired + " static 1.1.1.1",
            [](MachineState& s) { s.connections[0].dns = {"1.1.1.1"}; }},
    };
    for (const auto& c : cases) {
        MachineState state = BaseState();
        MachineState expected = BaseState();
        c.change(expected);
        const Outcome outcome = RunLine(state, c.line);
        EXPECT_EQ(outcome.exitCode, 0) << c.line << "\n" << outcome.text;
        EXPECT_EQ(outcome.text, "OK.\r\n") << c.line;
        EXPECT_TRUE(outcome.stateChanged) << c.line;
        EXPECT_EQ(state, expected) << c.line;
    }
}

TEST(Netsh, BadCommandsFailAndChangeNothing)
{
    const std::string wired = Quote(kWired);
    const struct {
        std::string line;
        std::string message;
    } cases[] = {
        {"netsh interface ip set address \"Neznámé\" dhcp", "Rozhraní \"Neznámé\" nebylo nalezeno."},
        {"netsh interface ip set address " + Quote(kWireless) + " dhcp",
            "Protokol DHCP je již pro toto rozhraní povolen."},
        {"netsh interface ip add dns " + wired + " 009.9.9.9", "\"009.9.9.9\" je neplatná"},
        {"netsh interface ip set address \"Připojení k místní\" dhcp",
            "Rozhraní \"Připojení k místní\" nebylo nalezeno."},
        {"netsh interface ip set address \"připojení k místní síti\" dhcp", "nebylo nalezeno"},
        {"netsh interface ip show config \"Neznámé\"", "Rozhraní \"Neznámé\" nebylo nalezeno."},
        {"netsh interface ip set address Připojení k místní síti dhcp", "Zadaný parametr je neplatný."},
        {"netsh interface ip set address " + wired + " static 10.0.0.5 255.255.255.0", "Zadaný parametr je neplatný."},
        {"netsh interface ip set address " + wired + " static 10.0.0.256 255.255.255.0 none",
            "\"10.0.0.256\" je neplatná"},
        {"netsh interface ip set address " + wired + " static 10.0.0.5 255.255.255.0 none 1",
            "Zadaný parametr je neplatný."},
        {"netsh interface ip set address " + wired + " static 10.0.0.5 255.255.255.0 10.0.0.1 1 2",
            "Zadaný parametr je neplatný."},
        {"netsh interface ip set address " + wired + " static 10.0.0.5 255.255.255.0 10.0.0.1 x",
            "Zadaný parametr je neplatný."},
        {"netsh interface ip set address " + wired + " static 10.0.0.5 255.255.255.0 10.0.0.1 10000",
            "Zadaný parametr je neplatný."},
        {"netsh interface ip set address " + wired + " static 10 .0.0.5 255.255.255.0 none", "\"10\" je neplatná"},
        {"netsh interface ip set address " + wired + " static 10.0.0.5 255.255.255.0 10.0.0.1  1",
            ""},  // control: passes
        {"netsh interface ip set address " + wired + " automatic", "Zadaný parametr je neplatný."},
        {"netsh interface ip set address " + wired, "Zadaný parametr je neplatný."},
        {"netsh interface ip set address", "Zadaný parametr je neplatný."},
        {"netsh interface ip set dns " + wired + " static 1.1.1.1 2.2.2.2", "Zadaný parametr je neplatný."},
        {"netsh interface ip set dns " + wired + " static", "Zadaný parametr je neplatný."},
        {"netsh interface ip set dns " + wired + " static abc", "\"abc\" je neplatná"},
        {"netsh interface ip set dns " + wired + " static 1.1.1.1 ", ""},  // control: a trailing blank is no token
        {"netsh interface ip add dns " + wired + " 8.8.8.8", "8.8.8.8 už v seznamu je."},
        {"netsh interface ip add dns " + wired + " 9.9.9.9 0", "Zadaný parametr je neplatný."},
        {"netsh interface ip add dns " + wired, "Zadaný parametr je neplatný."},
        {"netsh interface ip add dns " + wired + " none", "\"none\" je neplatná"},
        {"netsh interface ip add address " + wired + " 1.2.3.4 255.0.0.0",
            "Následující příkaz nebyl nalezen: interface ip add address"},
        {"netsh interface ip set gateway " + wired + " 1.1.1.1", "Následující příkaz nebyl nalezen:"},
        {"netsh interface ipv6 show config", "Následující příkaz nebyl nalezen: interface ipv6 show config."},
        {"netsh interface ip show", "Následující příkaz nebyl nalezen: interface ip show."},
        {"netsh interface ip show config a b", "Zadaný parametr je neplatný."},
        {"netsh", "Interaktivní režim"},
    };
    for (const auto& c : cases) {
        MachineState state = BaseState();
        const Outcome outcome = RunLine(state, c.line);
        if (c.message.empty()) {
            EXPECT_EQ(outcome.exitCode, 0) << c.line << "\n" << outcome.text;
            continue;
        }
        EXPECT_EQ(outcome.exitCode, 1) << c.line;
        EXPECT_NE(outcome.text.find(c.message), std::string::npos) << c.line << "\n" << outcome.text;
        EXPECT_EQ(outcome.text.substr(outcome.text.size() - 2), "\r\n") << c.line;
        EXPECT_FALSE(outcome.stateChanged) << c.line;
        EXPECT_EQ(state, BaseState()) << c.line;
    }
}

TEST(Netsh, ShowConfigReportsWithoutChanging)
{
    MachineState state = BaseState();
    const Outcome all = RunLine(state, "netsh interface ip show config");
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_FALSE(all.stateChanged);
    EXPECT_NE(all.text.find(kWireless), std::string::npos);

    const Outcome one = RunLine(state, "netsh interface ip show config " + Quote(kWired2));
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_NE(one.text.find(Quote(kWired2)), std::string::npos);
    EXPECT_EQ(one.text.find(Quote(kWired)), std::string::npos);
    EXPECT_EQ(one.text.find(kWireless), std::string::npos);
    EXPECT_EQ(state, BaseState());
}

}  // namespace
