// ipconfig: /release and /renew move only DHCP leases; everything else is
// reporting or an error.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/netsim/ipconfig.h"

namespace {

using netsim::Connection;
using netsim::MachineState;
using Args = std::vector<std::string>;

MachineState BaseState()
{
    MachineState state;
    state.sim.dhcpPool = "172.16.5.10";
    state.sim.dhcpGateway = "172.16.5.1";
    Connection lan;
    lan.name = "Připojení k místní síti";
    lan.ip = "192.168.1.10";
    lan.mask = "255.255.255.0";
    lan.gateway = "192.168.1.1";
    Connection wifi;
    wifi.name = "Bezdrátové připojení k síti";
    wifi.dhcp = true;
    wifi.ip = "172.16.5.11";
    wifi.mask = "255.255.255.0";
    wifi.gateway = "172.16.5.1";
    Connection vpn = wifi;
    vpn.name = "VPN";
    vpn.ip = vpn.mask = "0.0.0.0";  // released earlier
    vpn.gateway.clear();
    state.connections = {lan, wifi, vpn};
    return state;
}

void Release(Connection& c)
{
    c.ip = c.mask = "0.0.0.0";
    c.gateway.clear();
}

void Lease(Connection& c, const char* ip)
{
    c.ip = ip;
    c.mask = "255.255.255.0";
    c.gateway = "172.16.5.1";
}

TEST(Ipconfig, ReleaseAndRenewMoveOnlyDhcpLeases)
{
    const struct {
        Args args;
        std::function<void(MachineState&)> change;
    } cases[] = {
        {{"/release"},
            [](MachineState& s) {
                Release(s.connections[1]);
                Release(s.connections[2]);
            }},
        {{"/renew"}, [](MachineState& s) { Lease(s.connections[2], "172.16.5.12"); }},
        {{"-RENEW"}, [](MachineState& s) { Lease(s.connections[2], "172.16.5.12"); }},
        {{"/release", "Bezdrátové připojení k síti"}, [](MachineState& s) { Release(s.connections[1]); }},
        {{"/renew", "VPN"}, [](MachineState& s) { Lease(s.connections[2], "172.16.5.12"); }},
    };
    for (const auto& c : cases) {
        MachineState state = BaseState();
        MachineState expected = BaseState();
        c.change(expected);
        const auto outcome = netsim::RunIpconfig(state, c.args);
        EXPECT_EQ(outcome.exitCode, 0) << c.args[0];
        EXPECT_TRUE(outcome.stateChanged) << c.args[0];
        EXPECT_EQ(state, expected) << c.args[0];
        EXPECT_NE(outcome.text.find("Konfigurace IP systému Windows"), std::string::npos);
    }
}

TEST(Ipconfig, ReleaseThenRenewRestoresTheLease)
{
    MachineState state = BaseState();
    netsim::RunIpconfig(state, {"/release"});
    const auto renewed = netsim::RunIpconfig(state, {"/renew"});
    MachineState expected = BaseState();
    Lease(expected.connections[2], "172.16.5.12");
    EXPECT_EQ(state, expected);
    EXPECT_NE(renewed.text.find("172.16.5.11"), std::string::npos);
}

TEST(Ipconfig, ReportsAndRefusesWithoutChanging)
{
    const struct {
        Args args;
        int exitCode;
        const char* textPart;
    } cases[] = {
        {{}, 0, "Adaptér sítě Ethernet Připojení k místní síti:"},
        {{"/all"}, 0, "Protokol DHCP povolen"},
        {{"/?"}, 0, "POUŽITÍ"},
        {{"/renew", "Připojení k místní síti"}, 1, "nemá povolen protokol DHCP"},
        {{"/release", "Neznámý"}, 1, "Adaptér \"Neznámý\" nebyl nalezen."},
        {{"/release", "VPN", "x"}, 1, "příliš mnoho parametrů"},
        {{"/all", "x"}, 1, "příliš mnoho parametrů"},
        {{"/flushdns"}, 1, "neznámý přepínač příkazového řádku \"/flushdns\""},
        {{"release"}, 1, "neznámý přepínač"},
        {{"/"}, 1, "neznámý přepínač"},
    };
    for (const auto& c : cases) {
        MachineState state = BaseState();
        const auto outcome = netsim::RunIpconfig(state, c.args);
        const std::string label = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(outcome.exitCode, c.exitCode) << label;
        EXPECT_NE(outcome.text.find(c.textPart), std::string::npos) << label << "\n" << outcome.text;
        EXPECT_FALSE(outcome.stateChanged) << label;
        EXPECT_EQ(state, BaseState()) << label;
    }
}

TEST(Ipconfig, SummaryShowsEachAdapterInOrder)
{
    MachineState state = BaseState();
    const std::string text = netsim::RunIpconfig(state, {}).text;
    const auto lan = text.find("Připojení k místní síti:");
    const auto wifi = text.find("Bezdrátové připojení k síti:");
    const auto vpn = text.find("VPN:");
    ASSERT_NE(vpn, std::string::npos);
    EXPECT_LT(lan, wifi);
    EXPECT_LT(wifi, vpn);
    EXPECT_NE(text.find(". : 192.168.1.10\r\n", lan), std::string::npos);
    EXPECT_NE(text.find(". : 172.16.5.11\r\n", wifi), std::string::npos);
}

}  // namespace

// Where the real ipconfig ends with 1 while other adapters are fine: no
// adapter on DHCP at all, a cable out (the others are still renewed), and a
// DHCP server that does not answer (the address Windows gives itself).
TEST(Ipconfig, FailsAsTheRealOneWhereAnAdapterCannotTakePart)
{
    MachineState staticOnly = BaseState();
    staticOnly.connections.resize(1);
    const MachineState before = staticOnly;
    for (const char* command : {"/release", "/renew"}) {
        const auto outcome = netsim::RunIpconfig(staticOnly, {command});
        EXPECT_EQ(outcome.exitCode, 1) << command;
        EXPECT_NE(outcome.text.find("žádný adaptér není ve stavu"), std::string::npos) << outcome.text;
        EXPECT_EQ(staticOnly, before);
    }

    MachineState unplugged = BaseState();
    unplugged.connections[1].cable = false;
    const auto renewed = netsim::RunIpconfig(unplugged, {"/renew"});
    EXPECT_EQ(renewed.exitCode, 1);
    EXPECT_NE(renewed.text.find("S adaptérem Bezdrátové připojení k síti nelze provést žádnou operaci, dokud je médium "
                                "odpojeno."),
        std::string::npos)
        << renewed.text;
    EXPECT_EQ(unplugged.connections[2].ip, "172.16.5.12") << "the others are renewed all the same";

    MachineState silent = BaseState();
    silent.sim.dhcpAnswers = false;
    EXPECT_EQ(netsim::RunIpconfig(silent, {"/renew"}).exitCode, 0);
    EXPECT_EQ(silent.connections[2].ip, "169.254.3.7");
    EXPECT_EQ(silent.connections[2].mask, "255.255.0.0");
    EXPECT_EQ(silent.connections[2].gateway, "");
}
