// ipconfig: the summary of the adapters and the DHCP lease switches.
#include "tools/netsim/ipconfig.h"

#include <string_view>

#include "tools/netsim/utf8.h"

namespace netsim {

namespace {

constexpr char kTitle[] = "\r\nKonfigurace IP systému Windows\r\n\r\n";
constexpr std::size_t kLeaderWidth = 44;  // the dots reach about here, as in ipconfig

constexpr char kTooMany[] = "Chyba: příliš mnoho parametrů.";

constexpr char kHelp[] = "\r\nPOUŽITÍ:\r\n"
                         "    ipconfig [/? | /all | /release [adaptér] | /renew [adaptér]]\r\n"
                         "\r\n"
                         "    /?          Zobrazí tuto nápovědu.\r\n"
                         "    /all        Zobrazí úplné informace o konfiguraci.\r\n"
                         "    /release    Uvolní adresu IP zadaného adaptéru.\r\n"
                         "    /renew      Obnoví adresu IP zadaného adaptéru.\r\n";

// "        Label. . . . . : value", the dots reaching the same column for
// every label; further values stand below the first.
std::string Field(std::string_view label, const std::vector<std::string>& values)
{
    std::string prefix = "        ";
    prefix.append(label);
    std::size_t width = CharCount(prefix);
    for (; width < kLeaderWidth; width += 2)
        prefix += ". ";
    prefix += ": ";
    if (values.empty())
        return prefix.substr(0, prefix.size() - 1) + "\r\n";
    std::string lines = prefix + values.front() + "\r\n";
    for (std::size_t i = 1; i < values.size(); ++i)
        lines += std::string(width + 2, ' ') + values[i] + "\r\n";
    return lines;
}

std::string Field(std::string_view label, const std::string& value)
{
    return Field(label, value.empty() ? std::vector<std::string>{} : std::vector<std::string>{value});
}

std::string Summary(const MachineState& state, bool all)
{
    std::string text = kTitle;
    for (const auto& c : state.connections) {
        text += "\r\nAdaptér sítě Ethernet " + c.name + ":\r\n\r\n";
        text += Field("Přípona DNS podle připojení", std::string());
        if (all)
            text += Field("Protokol DHCP povolen", std::string(c.dhcp ? "Ano" : "Ne"));
        text += Field("Adresa IP", c.ip);
        text += Field("Maska podsítě", c.mask);
        text += Field("Výchozí brána", c.gateway);
        if (all) {
            const std::vector<std::string> none;
            const auto& servers = c.dnsFromDhcp ? (HasLease(c) ? state.sim.dhcpDns : none) : c.dns;
            text += Field("Servery DNS", servers);
        }
    }
    return text;
}

bool IsSwitch(std::string_view arg, std::string_view name)
{
    return arg.size() > 1 && (arg.front() == '/' || arg.front() == '-') && EqualsNoCase(arg.substr(1), name);
}

// /release and /renew: every DHCP connection, or just the named one.
Outcome ChangeLeases(MachineState& state, const std::vector<std::string>& args, bool renew)
{
    if (args.size() > 2)
        return Failure(kTooMany);
    const std::string* name = args.size() == 2 ? &args[1] : nullptr;
    if (name) {
        const Connection* c = state.Find(*name);
        if (!c)
            return Failure("Adaptér \"" + *name + "\" nebyl nalezen.");
        if (!c->dhcp)
            return Failure("Adaptér \"" + *name + "\" nemá povolen protokol DHCP.");
    }
    // As ipconfig does: every adapter it can act on is dealt with, and one
    // it cannot (no adapter on DHCP at all, a cable out) ends it with 1.
    bool changed = false, anyOnDhcp = false;
    std::string errors;
    for (std::size_t i = 0; i < state.connections.size(); ++i) {
        Connection& c = state.connections[i];
        if (!c.dhcp || (name && c.name != *name))
            continue;
        anyOnDhcp = true;
        if (!c.cable) {
            errors += "\r\nS adaptérem " + c.name + " nelze provést žádnou operaci, dokud je médium odpojeno.\r\n";
            continue;
        }
        const Connection before = c;
        if (renew)
            GiveLease(state, i);
        else
            ReleaseLease(c);
        changed = changed || !(before == c);
    }
    if (!anyOnDhcp)
        return {1,
            std::string(kTitle)
                + "Operace se nezdařila, protože žádný adaptér není ve stavu, který by ji dovoloval.\r\n",
            false};
    return {errors.empty() ? 0 : 1, Summary(state, false) + errors, changed};
}

}  // namespace

Outcome RunIpconfig(MachineState& state, const std::vector<std::string>& args)
{
    if (args.empty())
        return {0, Summary(state, false), false};
    const std::string& command = args.front();
    const bool all = IsSwitch(command, "all"), help = IsSwitch(command, "?");
    if ((all || help) && args.size() > 1)
        return Failure(kTooMany);
    if (all)
        return {0, Summary(state, true), false};
    if (help)
        return {0, kHelp, false};
    if (IsSwitch(command, "release"))
        return ChangeLeases(state, args, false);
    if (IsSwitch(command, "renew"))
        return ChangeLeases(state, args, true);
    Outcome error = Failure("Chyba: neznámý přepínač příkazového řádku \"" + command + "\".");
    error.text += kHelp;
    return error;
}

}  // namespace netsim
