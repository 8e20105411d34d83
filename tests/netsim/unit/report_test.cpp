// The configuration report as Tamarko reads it: the bytes go through the
// console code page, sections open at the header prefix, and each value is
// taken at a fixed distance after the first occurrence of a keyword in the
// line. This reader is written here from those rules, independently of the
// renderer, so any shifted column shows up as a wrong value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/netsim/address.h"
#include "tools/netsim/cp852.h"
#include "tools/netsim/report.h"

namespace {

using netsim::Connection;
using netsim::MachineState;

// The report as a list of lines of single-byte characters, split at CR LF;
// every line must end in CR LF.
std::vector<std::string> ReportLines(const MachineState& state, const Connection* only = nullptr)
{
    const std::string bytes = netsim::Utf8ToCp852(netsim::RenderConfigReport(state, only));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a line without CR LF: " << bytes.substr(start);
            break;
        }
        const std::string line = bytes.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a lone CR or LF";
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

const std::string kPrefix = netsim::Utf8ToCp852("Konfigurace rozhraní \"");

struct Values {
    std::string ip, dhcp, mask, gateway, dns, dns2;
};

// Characters from 1-based position `from`, at most `count` of them.
std::string Take(const std::string& line, std::size_t from, std::size_t count)
{
    if (from > line.size())
        return {};
    return line.substr(from - 1, count);
}

std::string WithoutFirstBlank(std::string value)
{
    const auto blank = value.find(' ');
    if (blank != std::string::npos)
        value.erase(blank, 1);
    return value;
}

// The section of `name` (cp852 bytes): from its header to the line before
// the next header, or to one past the last line.
Values Read(const std::vector<std::string>& lines, const std::string& name)
{
    const std::string quoted = "\"" + name + "\"";
    std::size_t first = 0, last = lines.size();
    bool found = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (found && lines[i].find(kPrefix) != std::string::npos) {
            last = i - 1;
            break;
        }
        if (lines[i].find(quoted) != std::string::npos)
            first = i, found = true;
    }
    EXPECT_TRUE(found) << name;
    const auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string(); };

    Values v;
    for (std::size_t i = first; i <= last; ++i) {
        const std::string text = line(i);
        const auto at = [&](const char* keyword) { return text.find(keyword); };  // 0-based
        if (at("IP") != std::string::npos)
            v.ip = Take(text, at("IP") + 1 + 30, 15);
        if (at("server DHCP") != std::string::npos)
            v.dhcp = Take(text, at("server DHCP") + 1 + 37, 3);
        if (at("Maska") != std::string::npos)
            v.mask = Take(text, at("Maska") + 1 + 40, 15);
        if (at("choz") != std::string::npos)
            v.gateway = Take(text, at("choz") + 1 + 34, 15);
        if (at("DNS:") != std::string::npos) {
            v.dns = WithoutFirstBlank(Take(text, at("DNS:") + 1 + 8, 15));
            v.dns2 = WithoutFirstBlank(Take(line(i + 1), at("DNS:") + 1 + 5, 15));
        }
    }
    return v;
}

Connection Static(const char* name, const char* ip, const char* mask, const char* gateway, std::vector<std::string> dns)
{
    Connection c;
    c.name = name;
    c.ip = ip;
    c.mask = mask;
    c.gateway = gateway;
    c.dns = std::move(dns);
    return c;
}

TEST(Report, EveryValueIsFoundWhereTheReaderLooks)
{
    MachineState state;
    state.sim.dhcpDns = {"10.0.0.1", "10.0.0.2"};
    state.connections = {
        Static("Připojení k místní síti", "192.168.100.200", "255.255.255.255", "192.168.100.254",
            {"192.168.100.201", "192.168.100.202", "10.0.0.3"}),
        Static("Připojení k místní síti 2", "1.2.3.4", "255.0.0.0", "1.1.1.1", {"1.1.1.2"}),
        Static("Bez brány a DNS", "10.1.1.1", "255.255.0.0", "", {}),
    };
    Connection leased;
    leased.name = "Bezdrátové připojení k síti";
    leased.dhcp = true;
    leased.dnsFromDhcp = true;
    leased.ip = "10.0.0.103";
    leased.mask = "255.255.255.0";
    leased.gateway = "10.0.0.1";
    state.connections.push_back(leased);
    Connection released = leased;
    released.name = "ŽŠČŘĎŤŇ ěščřžýáíéůúťďň";
    released.ip = released.mask = "0.0.0.0";
    released.gateway.clear();
    state.connections.push_back(released);
    Connection dhcpStaticDns = leased;
    dhcpStaticDns.name = "DHCP se statickým DNS";
    dhcpStaticDns.dnsFromDhcp = false;
    dhcpStaticDns.dns = {"8.8.4.4"};
    state.connections.push_back(dhcpStaticDns);

    const struct {
        std::string name;  // UTF-8
        Values expected;
    } cases[] = {
        {"Připojení k místní síti",
            {"192.168.100.200", "No", "255.255.255.255", "192.168.100.254", "192.168.100.201", "192.168.100.202"}},
        {"Připojení k místní síti 2", {"1.2.3.4", "No", "255.0.0.0", "1.1.1.1", "1.1.1.2", ""}},
        {"Bez brány a DNS", {"10.1.1.1", "No", "255.255.0.0", "", "", ""}},
        // DNS from DHCP is not a static DNS server: no "DNS:" in that label.
        {"Bezdrátové připojení k síti", {"10.0.0.103", "Yes", "255.255.255.0", "10.0.0.1", "", ""}},
        {"ŽŠČŘĎŤŇ ěščřžýáíéůúťďň", {"0.0.0.0", "Yes", "0.0.0.0", "", "", ""}},
        {"DHCP se statickým DNS", {"10.0.0.103", "Yes", "255.255.255.0", "10.0.0.1", "8.8.4.4", ""}},
    };
    const auto lines = ReportLines(state);
    for (const auto& c : cases) {
        Values v = Read(lines, netsim::Utf8ToCp852(c.name));
        // The reader then drops DNS texts that are no address (such as "Žádné"
        // or the next label's tail); a shifted address stays wrong, not empty.
        for (std::string* dns : {&v.dns, &v.dns2}) {
            std::string compact = *dns;
            std::erase(compact, ' ');
            if (!netsim::ParseAddress(compact))
                dns->clear();
        }
        EXPECT_EQ(v.ip, c.expected.ip) << c.name;
        EXPECT_EQ(v.dhcp, c.expected.dhcp) << c.name;
        EXPECT_EQ(v.mask, c.expected.mask) << c.name;
        EXPECT_EQ(v.gateway, c.expected.gateway) << c.name;
        EXPECT_EQ(v.dns, c.expected.dns) << c.name;
        EXPECT_EQ(v.dns2, c.expected.dns2) << c.name;
    }
}

TEST(Report, SectionsFollowTheStateOrderAndOpenWithAnEmptyLine)
{
    MachineState state;
    state.connections = {Static("B", "1.1.1.1", "255.0.0.0", "", {}), Static("A", "2.2.2.2", "255.0.0.0", "", {}),
        Static("Č", "3.3.3.3", "255.0.0.0", "", {})};
    const auto lines = ReportLines(state);
    std::vector<std::string> headers;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(kPrefix, 0) == 0) {
            headers.push_back(lines[i]);
            ASSERT_GT(i, 0u);
            EXPECT_EQ(lines[i - 1], "");
        }
    }
    const std::vector<std::string> expected = {kPrefix + "B\"", kPrefix + "A\"", kPrefix + "\xAC\""};
    EXPECT_EQ(headers, expected);

    EXPECT_EQ(ReportLines(MachineState{}), std::vector<std::string>{});
}

TEST(Report, OneConnectionAlone)
{
    MachineState state;
    state.connections
        = {Static("A", "1.1.1.1", "255.0.0.0", "", {}), Static("B", "2.2.2.2", "255.0.0.0", "", {"3.3.3.3"})};
    const auto lines = ReportLines(state, &state.connections[1]);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], kPrefix + "B\"");
    for (const auto& line : lines)
        EXPECT_EQ(line.find("\"A\""), std::string::npos);
    const Values v = Read(lines, "B");
    EXPECT_EQ(v.ip, "2.2.2.2");
    EXPECT_EQ(v.dns, "3.3.3.3");
}

// Lines that carry no value must not hold a keyword, or a reader would take
// text out of them; with the static DNS label each keyword sits on exactly
// one line of a section.
TEST(Report, EachKeywordStandsOnItsOwnLineOnly)
{
    MachineState state;
    Connection full = Static("X", "192.168.100.200", "255.255.255.0", "192.168.100.1", {"1.1.1.1", "2.2.2.2"});
    Connection dhcp = full;
    dhcp.name = "Y";
    dhcp.dhcp = dhcp.dnsFromDhcp = true;
    state.connections = {full, dhcp};
    state.sim.dhcpDns = {"3.3.3.3", "4.4.4.4"};
    const auto lines = ReportLines(state);
    const struct {
        const char* keyword;
        int countInStatic, countInDhcp;
    } keywords[] = {{"IP", 1, 1}, {"server DHCP", 1, 1}, {"Maska", 1, 1}, {"choz", 1, 1}, {"DNS:", 1, 0}};
    for (const auto& k : keywords) {
        int counts[2] = {0, 0};
        int section = -1;
        for (const auto& line : lines) {
            if (line.rfind(kPrefix, 0) == 0)
                ++section;
            else if (section >= 0 && line.find(k.keyword) != std::string::npos)
                ++counts[section];
        }
        EXPECT_EQ(counts[0], k.countInStatic) << k.keyword;
        EXPECT_EQ(counts[1], k.countInDhcp) << k.keyword;
    }
}

}  // namespace
