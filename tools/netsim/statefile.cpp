// Reading and writing the state file. The reader is strict (unknown keys,
// bad addresses and duplicates are errors with a line number) because a typo
// that silently changed the simulated machine would mislead every test.
#include "tools/netsim/statefile.h"

#include <set>

#include "tools/netsim/address.h"
#include "tools/netsim/utf8.h"

namespace netsim {

namespace {

constexpr char kHeader[] = "# The machine that netsh.exe and ipconfig.exe (stand-ins) simulate. UTF-8.\r\n"
                           "# Edit freely; the programs rewrite the file when a command changes the\r\n"
                           "# state, keeping only this header of the comments.\r\n"
                           "#\r\n"
                           "# [netsim]: the simulated DHCP server and test hooks\r\n"
                           "#   delay_ms     every run of either program sleeps this long first\r\n"
                           "#   dhcp_pool    base address of the DHCP server's leases: the n-th\r\n"
                           "#                connection below (counted from 0) always gets pool + n\r\n"
                           "#   dhcp_mask, dhcp_gateway, dhcp_dns   the rest of a lease (dhcp_dns: a\r\n"
                           "#                list separated by commas; gateway and list may be none)\r\n"
                           "#   report_file  show config prints this file's bytes as they are\r\n"
                           "#   hang         yes: every run sleeps for ever after its journal line\r\n"
                           "#   gate         a file name: every run waits after its journal line until\r\n"
                           "#                that file exists, takes it away and goes on; one file lets\r\n"
                           "#                one run through\r\n"
                           "#   exit_code    every run ends with this exit code\r\n"
                           "#   dhcp_server  no: no DHCP server answers; a lease asked for is the\r\n"
                           "#                address Windows gives itself, 169.254.x.7\r\n"
                           "#\r\n"
                           "# [connection]: one section per connection, reported in this order\r\n"
                           "#   name         the connection's name (no double quotes)\r\n"
                           "#   dhcp         yes: address from DHCP, no: static address\r\n"
                           "#   ip, mask     the static address, or the current lease (0.0.0.0 after\r\n"
                           "#                ipconfig /release); leave both out with dhcp = yes for a\r\n"
                           "#                fresh lease\r\n"
                           "#   gateway      default gateway, or none\r\n"
                           "#   metric       metric of a static gateway\r\n"
                           "#   dns          dhcp, or the static DNS servers separated by commas, or none\r\n"
                           "#   cable        no: the media is disconnected (ipconfig then fails on it)\r\n"
                           "#\r\n"
                           "# Lines starting with # or ; are comments, so is a ; after a blank or the =.\r\n"
                           "# The journal of all command lines is netsim-journal.txt beside this file.\r\n";

constexpr unsigned kMaxDelayMs = 24u * 60 * 60 * 1000;

std::string Quoted(std::string_view text)
{
    std::string quoted(1, '"');
    quoted.append(text).append(1, '"');
    return quoted;
}

class Parser {
public:
    std::variant<MachineState, StateFileError> Run(std::string_view text)
    {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);  // Notepad's BOM
        while (!failed_ && !text.empty()) {
            ++lineNumber_;
            const auto end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            ParseLine(line);
        }
        if (!failed_)
            FinishConnection();
        if (failed_)
            return error_;
        // Fresh leases only once the pool is known, wherever [netsim] stands.
        for (std::size_t i = 0; i < state_.connections.size(); ++i) {
            if (state_.connections[i].dhcp && state_.connections[i].ip.empty())
                GiveLease(state_, i);
        }
        return state_;
    }

private:
    enum class Section { None, Simulator, Connection };

    void Fail(std::string message, int line = 0)
    {
        if (failed_)
            return;
        failed_ = true;
        error_ = {line ? line : lineNumber_, std::move(message)};
    }

    void ParseLine(std::string_view line)
    {
        if (!IsValidUtf8(line))
            return Fail("text není v kódování UTF-8");
        line = StripComment(Trim(line));
        if (line.empty())
            return;
        if (line.front() == '[')
            return ParseSectionHeader(line);
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            return Fail("řádek není ve tvaru klíč = hodnota");
        const std::string key = LowerAscii(Trim(line.substr(0, equals)));
        std::string_view value = Trim(line.substr(equals + 1));
        // The file is written as "key = value", where a value beginning with
        // ';' would read back as a comment: so it is one from the start.
        if (!value.empty() && value.front() == ';')
            value = {};
        if (section_ == Section::None)
            return Fail("klíč " + Quoted(key) + " stojí mimo oddíl");
        if (!keysSeen_.insert(key).second)
            return Fail("klíč " + Quoted(key) + " je v oddílu dvakrát");
        if (section_ == Section::Simulator)
            SimulatorKey(key, value);
        else
            ConnectionKey(key, value);
    }

    static std::string_view StripComment(std::string_view line)
    {
        if (line.empty() || line.front() == '#' || line.front() == ';')
            return {};
        for (std::size_t i = 1; i < line.size(); ++i) {
            if (line[i] == ';' && (line[i - 1] == ' ' || line[i - 1] == '\t'))
                return Trim(line.substr(0, i));
        }
        return line;
    }

    void ParseSectionHeader(std::string_view line)
    {
        if (line.back() != ']')
            return Fail("neúplný název oddílu");
        const std::string name = LowerAscii(Trim(line.substr(1, line.size() - 2)));
        FinishConnection();
        keysSeen_.clear();
        if (name == "netsim") {
            if (simulatorSeen_)
                return Fail("oddíl [netsim] je v souboru dvakrát");
            simulatorSeen_ = true;
            section_ = Section::Simulator;
        } else if (name == "connection") {
            section_ = Section::Connection;
            connection_ = Connection{};
            connectionLine_ = lineNumber_;
        } else {
            Fail("neznámý oddíl [" + name + "]");
        }
    }

    void SimulatorKey(const std::string& key, std::string_view value)
    {
        Simulator& sim = state_.sim;
        if (key == "delay_ms") {
            if (const auto n = Number(value, 0, kMaxDelayMs))
                sim.delayMs = static_cast<unsigned>(*n);
        } else if (key == "dhcp_pool") {
            sim.dhcpPool = Address(value);
        } else if (key == "dhcp_mask") {
            sim.dhcpMask = Address(value);
        } else if (key == "dhcp_gateway") {
            sim.dhcpGateway = OptionalAddress(value);
        } else if (key == "dhcp_dns") {
            sim.dhcpDns = AddressList(value);
        } else if (key == "report_file") {
            sim.reportFile = value;
        } else if (key == "hang") {
            sim.hang = YesNo(value);
        } else if (key == "gate") {
            sim.gate = value;
        } else if (key == "exit_code") {
            sim.exitCode = Number(value, -2147483648LL, 4294967295LL);
        } else if (key == "dhcp_server") {
            sim.dhcpAnswers = YesNo(value);
        } else {
            Fail("neznámý klíč " + Quoted(key));
        }
    }

    void ConnectionKey(const std::string& key, std::string_view value)
    {
        Connection& c = connection_;
        if (key == "name") {
            if (value.empty())
                return Fail("jméno připojení je prázdné");
            if (value.find('"') != std::string_view::npos)
                return Fail("jméno připojení obsahuje uvozovky");
            c.name = value;
        } else if (key == "dhcp") {
            c.dhcp = YesNo(value);
        } else if (key == "ip") {
            c.ip = Address(value);
        } else if (key == "mask") {
            c.mask = Address(value);
        } else if (key == "gateway") {
            c.gateway = OptionalAddress(value);
        } else if (key == "metric") {
            if (const auto n = Number(value, 0, 9999))
                c.gatewayMetric = static_cast<int>(*n);
        } else if (key == "dns") {
            dnsSeen_ = true;
            c.dnsFromDhcp = EqualsNoCase(value, "dhcp");
            if (!c.dnsFromDhcp)
                c.dns = AddressList(value);
        } else if (key == "cable") {
            c.cable = YesNo(value);
        } else {
            Fail("neznámý klíč " + Quoted(key));
        }
    }

    void FinishConnection()
    {
        if (section_ != Section::Connection || failed_)
            return;
        Connection& c = connection_;
        if (c.name.empty())
            return Fail("připojení nemá jméno (klíč name)", connectionLine_);
        if (state_.Find(c.name))
            return Fail("připojení " + Quoted(c.name) + " je v souboru dvakrát", connectionLine_);
        if (!c.dhcp && (c.ip.empty() || c.mask.empty()))
            return Fail("statické připojení " + Quoted(c.name) + " potřebuje klíče ip a mask", connectionLine_);
        if (c.dhcp && c.ip.empty() != c.mask.empty())
            return Fail("připojení " + Quoted(c.name) + " potřebuje klíče ip a mask oba, nebo žádný", connectionLine_);
        if (!dnsSeen_)
            c.dnsFromDhcp = c.dhcp;
        state_.connections.push_back(std::move(c));
        section_ = Section::None;
        dnsSeen_ = false;
    }

    std::string Address(std::string_view value)
    {
        auto address = NormaliseAddress(value);
        if (!address) {
            Fail("neplatná adresa " + Quoted(value));
            return {};
        }
        return *address;
    }

    std::string OptionalAddress(std::string_view value)
    {
        if (value.empty() || EqualsNoCase(value, "none"))
            return {};
        return Address(value);
    }

    std::vector<std::string> AddressList(std::string_view value)
    {
        std::vector<std::string> list;
        if (EqualsNoCase(value, "none"))
            return list;
        for (const auto& part : SplitList(value, ','))
            list.push_back(Address(part));
        return list;
    }

    bool YesNo(std::string_view value)
    {
        if (EqualsNoCase(value, "yes"))
            return true;
        if (!EqualsNoCase(value, "no"))
            Fail("očekává se yes nebo no, ne " + Quoted(value));
        return false;
    }

    std::optional<std::int64_t> Number(std::string_view value, std::int64_t low, std::int64_t high)
    {
        std::string_view digits = value;
        const bool negative = !digits.empty() && digits.front() == '-';
        if (negative)
            digits.remove_prefix(1);
        std::int64_t n = 0;
        bool ok = !digits.empty() && digits.size() <= 12;  // 12 digits cannot overflow
        for (std::size_t i = 0; ok && i < digits.size(); ++i) {
            ok = digits[i] >= '0' && digits[i] <= '9';
            n = n * 10 + (digits[i] - '0');
        }
        if (negative)
            n = -n;
        if (!ok || n < low || n > high) {
            Fail("neplatné číslo " + Quoted(value));
            return std::nullopt;
        }
        return n;
    }

    MachineState state_;
    Connection connection_;
    Section section_ = Section::None;
    std::set<std::string> keysSeen_;
    bool simulatorSeen_ = false;
    bool dnsSeen_ = false;
    int lineNumber_ = 0;
    int connectionLine_ = 0;
    bool failed_ = false;
    StateFileError error_;
};

std::string JoinList(const std::vector<std::string>& list)
{
    if (list.empty())
        return "none";
    std::string text;
    for (const auto& item : list)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

void Key(std::string& out, std::string_view key, std::string_view value)
{
    out.append(key).append(" = ").append(value).append("\r\n");
}

}  // namespace

std::variant<MachineState, StateFileError> ParseStateFile(std::string_view text)
{
    return Parser().Run(text);
}

std::string FormatStateFile(const MachineState& state)
{
    const Simulator& sim = state.sim;
    std::string out = kHeader;
    out += "\r\n[netsim]\r\n";
    Key(out, "delay_ms", std::to_string(sim.delayMs));
    Key(out, "dhcp_pool", sim.dhcpPool);
    Key(out, "dhcp_mask", sim.dhcpMask);
    Key(out, "dhcp_gateway", sim.dhcpGateway.empty() ? "none" : sim.dhcpGateway);
    Key(out, "dhcp_dns", JoinList(sim.dhcpDns));
    if (!sim.reportFile.empty())
        Key(out, "report_file", sim.reportFile);
    if (sim.hang)
        Key(out, "hang", "yes");
    if (!sim.gate.empty())
        Key(out, "gate", sim.gate);
    if (sim.exitCode)
        Key(out, "exit_code", std::to_string(*sim.exitCode));
    if (!sim.dhcpAnswers)
        Key(out, "dhcp_server", "no");

    for (const auto& c : state.connections) {
        out += "\r\n[connection]\r\n";
        Key(out, "name", c.name);
        Key(out, "dhcp", c.dhcp ? "yes" : "no");
        Key(out, "ip", c.ip);
        Key(out, "mask", c.mask);
        Key(out, "gateway", c.gateway.empty() ? "none" : c.gateway);
        if ((!c.dhcp && !c.gateway.empty()) || c.gatewayMetric != Connection{}.gatewayMetric)
            Key(out, "metric", std::to_string(c.gatewayMetric));
        Key(out, "dns", c.dnsFromDhcp ? "dhcp" : JoinList(c.dns));
        if (!c.cable)
            Key(out, "cable", "no");
    }
    return out;
}

}  // namespace netsim
