// The state file: what a hand-written file means, that writing and reading
// give back the same machine, and that bad input is refused with its line.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "tools/netsim/statefile.h"

namespace {

using netsim::Connection;
using netsim::MachineState;
using netsim::ParseStateFile;
using netsim::StateFileError;

MachineState Parsed(const std::string& text)
{
    auto result = ParseStateFile(text);
    if (auto* error = std::get_if<StateFileError>(&result)) {
        ADD_FAILURE() << "line " << error->line << ": " << error->message;
        return {};
    }
    return std::get<MachineState>(result);
}

TEST(StateFile, ReadsAHandWrittenFile)
{
    const std::string text = "\xEF\xBB\xBF# a comment\r\n"
                             "[netsim]\r\n"
                             "delay_ms = 250            ; sleeps first\r\n"
                             "dhcp_pool = 10.1.0.050\r\n"
                             "dhcp_mask = 255.255.0.0\r\n"
                             "dhcp_gateway = none\r\n"
                             "dhcp_dns = 10.1.0.2,10.1.0.3\r\n"
                             "Report_File = C:\\reports\\x.txt\r\n"
                             "hang = no\r\n"
                             "exit_code = -5\r\n"
                             "\r\n"
                             "[Connection]\r\n"
                             "name = Připojení k místní síti\r\n"
                             "dhcp = no\r\n"
                             "ip = 192.168.001.010\r\n"
                             "mask = 255.255.255.0\r\n"
                             "gateway = 192.168.1.1\r\n"
                             "metric = 7\r\n"
                             "dns = 192.168.1.1, 8.8.8.8\n"
                             "\n"
                             "  [connection]  \n"
                             "  name   =   Bezdrátové připojení k síti  \n"
                             "dhcp = YES\n"
                             "; nothing more: a fresh lease\n"
                             "[connection]\n"
                             "name = Třetí\n"
                             "dhcp = yes\n"
                             "dns = none\n";
    const MachineState state = Parsed(text);
    EXPECT_EQ(state.sim.delayMs, 250u);
    EXPECT_EQ(state.sim.dhcpPool, "10.1.0.50");
    EXPECT_EQ(state.sim.dhcpGateway, "");
    EXPECT_EQ(state.sim.dhcpDns, (std::vector<std::string>{"10.1.0.2", "10.1.0.3"}));
    EXPECT_EQ(state.sim.reportFile, "C:\\reports\\x.txt");
    EXPECT_FALSE(state.sim.hang);
    EXPECT_EQ(state.sim.exitCode, -5);
    ASSERT_EQ(state.connections.size(), 3u);

    const Connection& wired = state.connections[0];
    EXPECT_EQ(wired.name, "Připojení k místní síti");
    EXPECT_FALSE(wired.dhcp);
    EXPECT_EQ(wired.ip, "192.168.1.10");
    EXPECT_EQ(wired.gateway, "192.168.1.1");
    EXPECT_EQ(wired.gatewayMetric, 7);
    EXPECT_FALSE(wired.dnsFromDhcp);
    EXPECT_EQ(wired.dns, (std::vector<std::string>{"192.168.1.1", "8.8.8.8"}));

    // A DHCP connection without an address gets the pool address plus its
    // position, and its DNS comes from DHCP unless the file says otherwise.
    const Connection& wireless = state.connections[1];
    EXPECT_EQ(wireless.name, "Bezdrátové připojení k síti");
    EXPECT_TRUE(wireless.dhcp);
    EXPECT_EQ(wireless.ip, "10.1.0.51");
    EXPECT_EQ(wireless.mask, "255.255.0.0");
    EXPECT_EQ(wireless.gateway, "");
    EXPECT_TRUE(wireless.dnsFromDhcp);
    EXPECT_EQ(state.connections[2].ip, "10.1.0.52");
    EXPECT_FALSE(state.connections[2].dnsFromDhcp);
    EXPECT_TRUE(state.connections[2].dns.empty());
}

TEST(StateFile, EmptyFileIsAMachineWithoutConnections)
{
    const MachineState state = Parsed("");
    EXPECT_TRUE(state.connections.empty());
    EXPECT_EQ(state.sim, netsim::Simulator{});
}

TEST(StateFile, WritingAndReadingGivesTheSameMachine)
{
    MachineState varied = netsim::DemoState();
    varied.sim.delayMs = 1500;
    varied.sim.hang = true;
    varied.sim.gate = "brána č. 1.txt";
    varied.sim.exitCode = 4294967295LL;
    varied.sim.reportFile = "report;v2.txt";  // only a ; after a blank starts a comment
    varied.sim.dhcpDns.clear();
    varied.sim.dhcpGateway.clear();
    varied.sim.dhcpAnswers = false;
    Connection released;
    released.name = "VPN #2";
    released.dhcp = true;
    released.cable = false;
    released.ip = released.mask = "0.0.0.0";
    released.dns = {"1.1.1.1"};
    varied.connections.push_back(released);
    Connection bare;
    bare.name = "Bez brány";
    bare.ip = "172.16.0.5";
    bare.mask = "255.240.0.0";
    bare.gatewayMetric = 3;
    varied.connections.push_back(bare);

    for (const MachineState& state : {netsim::DemoState(), varied, MachineState{}}) {
        const std::string text = netsim::FormatStateFile(state);
        EXPECT_EQ(Parsed(text), state) << text;
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "lines end in CR LF";
    }
}

TEST(StateFile, RefusesBadInputWithItsLine)
{
    const struct {
        const char* text;
        int line;
        const char* messagePart;
    } cases[] = {
        {"name = x\n", 1, "mimo oddíl"},
        {"[netsim]\n[netsim]\n", 2, "dvakrát"},
        {"[other]\n", 1, "neznámý oddíl"},
        {"[netsim\n", 1, "název oddílu"},
        {"[netsim]\njust words\n", 2, "klíč = hodnota"},
        {"[netsim]\ndelay = 5\n", 2, "neznámý klíč \"delay\""},
        {"[netsim]\ndelay_ms = -1\n", 2, "číslo"},
        {"[netsim]\ndelay_ms = 1e3\n", 2, "číslo"},
        {"[netsim]\ndelay_ms = 99999999999999999999\n", 2, "číslo"},
        {"[netsim]\nhang = maybe\n", 2, "yes nebo no"},
        {"[netsim]\ndhcp_pool = 10.0.0\n", 2, "adresa \"10.0.0\""},
        {"[netsim]\ndhcp_dns = 10.0.0.1, x\n", 2, "adresa \"x\""},
        {"[netsim]\nexit_code = 1\nexit_code = 2\n", 3, "dvakrát"},
        {"[connection]\nname = a\ndhcp = no\nip = 1.2.3.4\nmask = 255.0.0.0\nip = 1.2.3.5\n", 6, "dvakrát"},
        {"[connection]\ndhcp = yes\n", 1, "jméno"},
        {"[connection]\nname =\n", 2, "prázdné"},
        {"[connection]\nname = a \"b\"\n", 2, "uvozovky"},
        {"[connection]\nname = a\ndhcp = no\nip = 1.2.3.4\n", 1, "ip a mask"},
        {"[connection]\nname = a\ndhcp = yes\nip = 1.2.3.4\n", 1, "ip a mask"},
        {"[connection]\nname = a\ndhcp = no\nip = 1.2.3.4\nmask = 255.0.0.0\ngateway = 1.2.3\n", 6, "adresa"},
        {"[connection]\nname = a\ndhcp = yes\nmetric = 10000\n", 4, "číslo"},
        {"[connection]\nname = a\ndhcp = yes\n\n[connection]\nname = a\ndhcp = yes\n", 5, "dvakrát"},
        {"[connection]\nname = a\ndhcp = yes\ndns = dhcp, 1.2.3.4\n", 4, "adresa \"dhcp\""},
        {"# ok\n[netsim]\ndelay_ms = \xE8\n", 3, "UTF-8"},
    };
    for (const auto& c : cases) {
        const auto result = ParseStateFile(c.text);
        const auto* error = std::get_if<StateFileError>(&result);
        ASSERT_NE(error, nullptr) << c.text;
        EXPECT_EQ(error->line, c.line) << c.text;
        EXPECT_NE(error->message.find(c.messagePart), std::string::npos) << c.text << " -> " << error->message;
    }
}

}  // namespace
