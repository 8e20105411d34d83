// netsh's command syntax and what each command does to the simulated machine.
#include "tools/netsim/netsh.h"

#include <algorithm>
#include <string_view>

#include "tools/netsim/address.h"
#include "tools/netsim/report.h"
#include "tools/netsim/utf8.h"

namespace netsim {

namespace {

constexpr char kOk[] = "OK.\r\n";
constexpr char kBadParameter[] = "Zadaný parametr je neplatný.";
constexpr int kMaxMetric = 9999;

using Args = std::vector<std::string>;

Outcome UnknownCommand(const Args& args)
{
    std::string joined;
    for (const auto& arg : args)
        joined += (joined.empty() ? "" : " ") + arg;
    return Failure("Následující příkaz nebyl nalezen: " + joined + ".");
}

Outcome BadAddress(std::string_view text)
{
    return Failure("Adresa \"" + std::string(text) + "\" je neplatná. " + kBadParameter);
}

Outcome NoSuchInterface(std::string_view name)
{
    return Failure("Rozhraní \"" + std::string(name) + "\" nebylo nalezeno.");
}

// A decimal number without sign, at most `high`.
std::optional<unsigned> Number(std::string_view text, unsigned high)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    unsigned n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    if (n > high)
        return std::nullopt;
    return n;
}

// Fills `target` with the normalised address or returns the error.
std::optional<Outcome> TakeAddress(std::string_view text, std::string& target)
{
    const auto address = NormaliseCommandAddress(text);
    if (!address)
        return BadAddress(text);
    target = *address;
    return std::nullopt;
}

std::variant<NetshCommand, Outcome> ParseSetAddress(const Args& a, NetshCommand c)
{
    // a: name, then the mode and its parameters
    if (a.size() == 2 && EqualsNoCase(a[1], "dhcp")) {
        c.kind = NetshCommand::Kind::SetAddressDhcp;
        return c;
    }
    if (a.size() < 5 || a.size() > 6 || !EqualsNoCase(a[1], "static"))
        return Failure(kBadParameter);
    c.kind = NetshCommand::Kind::SetAddressStatic;
    if (auto error = TakeAddress(a[2], c.ip))
        return *error;
    if (auto error = TakeAddress(a[3], c.mask))
        return *error;
    if (EqualsNoCase(a[4], "none")) {
        if (a.size() == 6)
            return Failure(kBadParameter);  // a metric needs a gateway
        return c;
    }
    if (auto error = TakeAddress(a[4], c.gateway))
        return *error;
    if (a.size() == 6) {
        const auto metric = Number(a[5], kMaxMetric);
        if (!metric)
            return Failure(kBadParameter);
        c.metric = static_cast<int>(*metric);
    }
    return c;
}

std::variant<NetshCommand, Outcome> ParseSetDns(const Args& a, NetshCommand c)
{
    if (a.size() == 2 && EqualsNoCase(a[1], "dhcp")) {
        c.kind = NetshCommand::Kind::SetDnsDhcp;
        return c;
    }
    if (a.size() != 3 || !EqualsNoCase(a[1], "static"))
        return Failure(kBadParameter);
    c.kind = NetshCommand::Kind::SetDnsStatic;
    if (EqualsNoCase(a[2], "none"))
        return c;
    if (auto error = TakeAddress(a[2], c.dns))
        return *error;
    return c;
}

std::variant<NetshCommand, Outcome> ParseAddDns(const Args& a, NetshCommand c)
{
    if (a.size() < 2 || a.size() > 3)
        return Failure(kBadParameter);
    c.kind = NetshCommand::Kind::AddDns;
    if (auto error = TakeAddress(a[1], c.dns))
        return *error;
    if (a.size() == 3) {
        const auto index = Number(a[2], kMaxMetric);
        if (!index || *index == 0)
            return Failure(kBadParameter);
        c.index = *index;
    }
    return c;
}

Outcome Changed()
{
    return {0, kOk, true};
}

}  // namespace

std::variant<NetshCommand, Outcome> ParseNetsh(const Args& args)
{
    if (args.empty())
        return Failure("Interaktivní režim tato verze příkazu netsh nepodporuje.");
    const auto word
        = [&](std::size_t i, std::string_view expected) { return i < args.size() && EqualsNoCase(args[i], expected); };
    if (!word(0, "interface") || !word(1, "ip"))
        return UnknownCommand(args);

    // Everything after the object word: the name first, then its parameters.
    const Args rest(args.begin() + std::min<std::size_t>(4, args.size()), args.end());
    NetshCommand command;
    if (!rest.empty())
        command.name = rest.front();

    if (word(2, "show") && word(3, "config")) {
        if (rest.size() > 1)
            return Failure(kBadParameter);
        return command;
    }
    const bool set = word(2, "set"), add = word(2, "add");
    const bool address = word(3, "address"), dns = word(3, "dns");
    if (!(set && (address || dns)) && !(add && dns))
        return UnknownCommand(args);
    if (rest.empty())
        return Failure(kBadParameter);
    if (set && address)
        return ParseSetAddress(rest, command);
    if (set)
        return ParseSetDns(rest, command);
    return ParseAddDns(rest, command);
}

Outcome RunNetsh(MachineState& state, const NetshCommand& command)
{
    using Kind = NetshCommand::Kind;
    if (command.kind == Kind::ShowConfig) {
        if (!command.name)
            return {0, RenderConfigReport(state), false};
        const Connection* only = state.Find(*command.name);
        if (!only)
            return NoSuchInterface(*command.name);
        return {0, RenderConfigReport(state, only), false};
    }

    Connection* c = state.Find(*command.name);
    if (!c)
        return NoSuchInterface(*command.name);
    switch (command.kind) {
    case Kind::SetAddressDhcp:
        // As netsh does: an error, and nothing changes.
        if (c->dhcp)
            return Failure("Protokol DHCP je již pro toto rozhraní povolen.");
        c->dhcp = true;
        c->gatewayMetric = Connection{}.gatewayMetric;
        GiveLease(state, static_cast<std::size_t>(c - state.connections.data()));
        return Changed();
    case Kind::SetAddressStatic:
        c->dhcp = false;
        c->ip = command.ip;
        c->mask = command.mask;
        c->gateway = command.gateway;
        c->gatewayMetric = command.gateway.empty() ? Connection{}.gatewayMetric : command.metric;
        return Changed();
    case Kind::SetDnsDhcp:
        c->dnsFromDhcp = true;
        c->dns.clear();
        return Changed();
    case Kind::SetDnsStatic:
        c->dnsFromDhcp = false;
        c->dns.clear();
        if (!command.dns.empty())
            c->dns.push_back(command.dns);
        return Changed();
    case Kind::AddDns: {
        auto& dns = c->dns;
        if (!c->dnsFromDhcp && std::find(dns.begin(), dns.end(), command.dns) != dns.end())
            return Failure("Server DNS " + command.dns + " už v seznamu je.");
        if (c->dnsFromDhcp)
            dns.clear();
        c->dnsFromDhcp = false;
        const std::size_t at = command.index == 0 ? dns.size() : std::min(command.index - 1, dns.size());
        dns.insert(dns.begin() + static_cast<std::ptrdiff_t>(at), command.dns);
        return Changed();
    }
    case Kind::ShowConfig:
        break;
    }
    return Failure(kBadParameter);
}

}  // namespace netsim
