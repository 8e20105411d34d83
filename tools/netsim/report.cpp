// Rendering of the configuration report.
//
// Readers of this report do not split it into label and value: they look for
// a keyword in the line and take the value at a fixed distance after it. So a
// value has to stand at exactly the column its label's keyword dictates, and
// no other line may contain a keyword.
#include "tools/netsim/report.h"

#include <cstddef>
#include <string_view>

#include "tools/netsim/utf8.h"

namespace netsim {

namespace {

// Value columns, 1-based characters; each follows from where the keyword
// stands in the label below and the fixed distance readers use.
constexpr std::size_t kDhcpColumn = 50;     // "server DHCP" at 13, plus 37
constexpr std::size_t kAddressColumn = 42;  // "IP" at 12, plus 30
constexpr std::size_t kMaskColumn = 45;     // "Maska" at 5, plus 40
constexpr std::size_t kGatewayColumn = 41;  // "choz" at 7, plus 34
constexpr std::size_t kDnsColumn = 44;      // "DNS:" at 36, plus 8
constexpr std::size_t kNextDnsColumn = 41;  // the line after "DNS:": 36 plus 5
constexpr std::size_t kUnreadColumn = 45;   // lines no keyword reads

constexpr char kHeaderPrefix[] = "Konfigurace rozhraní \"";
constexpr char kNone[] = "Žádné";
constexpr char kDhcpMetric[] = "0";  // automatic, as for any DHCP gateway

std::string Line(std::string_view label, std::size_t column, std::string_view value)
{
    std::string line(label);
    const std::size_t used = CharCount(label);
    // A label must leave at least one blank before its value column.
    line.append(column > used + 1 ? column - 1 - used : 1, ' ');
    line.append(value);
    line.append("\r\n");
    return line;
}

// Each server on its own line: the first beside the label, the others below,
// starting at `nextColumn`.
std::string ServerLines(
    std::string_view label, std::size_t column, std::size_t nextColumn, const std::vector<std::string>& servers)
{
    if (servers.empty())
        return Line(label, column, kNone);
    std::string lines = Line(label, column, servers.front());
    for (std::size_t i = 1; i < servers.size(); ++i)
        lines += Line("", nextColumn, servers[i]);
    return lines;
}

std::string Section(const MachineState& state, const Connection& c)
{
    std::string text = "\r\n";
    text.append(kHeaderPrefix).append(c.name).append("\"\r\n");
    text += Line("    Povolen server DHCP:", kDhcpColumn, c.dhcp ? "Yes" : "No");
    text += Line("    Adresa IP:", kAddressColumn, c.ip);
    text += Line("    Maska podsítě:", kMaskColumn, c.mask);
    if (!c.gateway.empty()) {
        text += Line("    Výchozí brána:", kGatewayColumn, c.gateway);
        text += Line("    Metrika brány:", kUnreadColumn, c.dhcp ? kDhcpMetric : std::to_string(c.gatewayMetric));
    }
    text += Line("    Metrika rozhraní:", kUnreadColumn, "0");
    if (c.dnsFromDhcp) {
        // No "DNS:" in this label: readers see no static DNS servers here.
        const std::vector<std::string> none;
        text += ServerLines("    Servery DNS konfigurované přes DHCP:", kUnreadColumn, kUnreadColumn,
            HasLease(c) ? state.sim.dhcpDns : none);
    } else {
        text += ServerLines("    Staticky konfigurované servery DNS:", kDnsColumn, kNextDnsColumn, c.dns);
    }
    text += Line("    Staticky konfigurované servery WINS:", kUnreadColumn, kNone);
    text += Line("    Registrovat s příponou:", kUnreadColumn, "Pouze primární");
    return text;
}

}  // namespace

std::string RenderConfigReport(const MachineState& state, const Connection* only)
{
    std::string text;
    for (const auto& connection : state.connections) {
        if (!only || &connection == only)
            text += Section(state, connection);
    }
    return text;
}

}  // namespace netsim
