#include "core/apply_verdict.h"

#include "core/address_check.h"
#include "core/report_reader.h"

#include <cstdio>

const char kSettingsNotTakenStatus[] = "Ne vše se podařilo; pole ukazují zadané hodnoty.";

namespace {

const char kNone[] = "none";

const char* SettingName(AppliedSetting setting)
{
    switch (setting) {
    case AppliedSetting::Mode:
        return "Přidělení IP adresy";
    case AppliedSetting::IP:
        return "IP adresa";
    case AppliedSetting::Mask:
        return "Maska podsítě";
    case AppliedSetting::Gateway:
        return "Brána";
    case AppliedSetting::DNS:
        return "Server DNS";
    case AppliedSetting::DNS2:
        return "Náhradní server DNS";
    case AppliedSetting::ProxyEnable:
        return "Používat Proxy server";
    case AppliedSetting::ProxyServer:
        return "Proxy server";
    }
    return "";
}

std::string ModeName(const std::string& dhcpAnswer)
{
    if (dhcpAnswer == "Yes")
        return "automaticky";
    if (dhcpAnswer == "No")
        return "ručně";
    return std::string();
}

// An address field as asked: its plain form, nothing for none.
std::string AskedAddress(const std::string& typed)
{
    if (typed.empty() || typed == kNone)
        return std::string();
    return PlainAddress(typed);
}

bool SameAddress(const std::string& asked, const std::string& has)
{
    if (asked.empty() || has.empty())
        return asked.empty() && has.empty();
    return AddressValue(asked) == AddressValue(has);
}

class Judge {
public:
    Judge(const ApplyRequest& request, std::vector<SettingNotTaken>& notTaken)
        : request_(request)
        , notTaken_(notTaken)
    {
    }
    void Check(AppliedSetting setting, bool took, const std::string& asked, const std::string& has)
    {
        if (took)
            return;
        SettingNotTaken item{setting, asked, has, std::nullopt};
        for (const ApplyRequest::Command& command : request_.failedCommands) {
            if (command.setting == setting)
                item.command = command.failure;
        }
        notTaken_.push_back(item);
    }
    void CheckAddress(AppliedSetting setting, const std::string& typed, const std::string& has)
    {
        const std::string asked = AskedAddress(typed);
        Check(setting, SameAddress(asked, has), asked, has);
    }

private:
    const ApplyRequest& request_;
    std::vector<SettingNotTaken>& notTaken_;
};

std::string Quoted(const std::string& text)
{
    return "„" + text + "“";
}

std::string ExitCodeText(unsigned long code)
{
    // Small codes are the command's own; large ones are Windows' status
    // codes (a crash), known by their hexadecimal form.
    char text[32];
    if (code < 0x10000)
        std::snprintf(text, sizeof text, "%lu", code);
    else
        std::snprintf(text, sizeof text, "0x%08lX", code);
    return text;
}

}  // namespace

SystemState ReportStateOf(const LineList& report, const std::string& connectionName)
{
    SystemState state;
    for (int i = 0; i < report.Count() && !state.connectionListed; ++i)
        state.connectionListed = ConnectionNameFromLine(report.Get(i)) == connectionName;
    if (state.connectionListed)
        ReadReportValues(report, FindConnectionSection(report, connectionName), state.report);
    return state;
}

std::vector<SettingNotTaken> SettingsNotTaken(const ApplyRequest& request, const SystemState& system)
{
    std::vector<SettingNotTaken> notTaken;
    Judge judge(request, notTaken);
    const CurrentState& has = system.report;
    using Mode = ApplyRequest::Mode;
    if (request.mode != Mode::Neither) {
        const bool automatic = request.mode == Mode::Automatic;
        judge.Check(AppliedSetting::Mode, has.DHCP == (automatic ? "Yes" : "No"), automatic ? "automaticky" : "ručně",
            ModeName(has.DHCP));
    }
    if (request.mode == Mode::Manual) {
        judge.CheckAddress(AppliedSetting::IP, request.ip, has.IP);
        judge.CheckAddress(AppliedSetting::Mask, request.mask, has.Mask);
        judge.CheckAddress(AppliedSetting::Gateway, request.gateway, has.Gateway);
        judge.CheckAddress(AppliedSetting::DNS, request.dns, has.DNS);
        if (request.dns2Asked)
            judge.CheckAddress(AppliedSetting::DNS2, request.dns2, has.DNS2);
    }
    if (request.proxyEnable) {
        const std::string asked = *request.proxyEnable ? "ano" : "ne";
        const std::string hasText = !system.proxyEnable ? ""
            : *system.proxyEnable == 1                  ? "ano"
            : *system.proxyEnable == 0                  ? "ne"
                                                        : "?";
        judge.Check(AppliedSetting::ProxyEnable, system.proxyEnable == request.proxyEnable, asked, hasText);
    }
    if (request.proxyServer) {
        judge.Check(AppliedSetting::ProxyServer, system.proxyServer == request.proxyServer, *request.proxyServer,
            system.proxyServer.value_or(""));
    }
    return notTaken;
}

std::string SettingsNotTakenMessage(const std::vector<SettingNotTaken>& notTaken)
{
    std::string message
        = notTaken.size() == 1 ? "Nastavení se nepodařilo provést:" : "Některá nastavení se nepodařilo provést:";
    for (const SettingNotTaken& item : notTaken) {
        message += "\r\n\r\n" + std::string(SettingName(item.setting)) + ": zadáno "
            + (item.asked.empty() ? std::string("nic") : Quoted(item.asked)) + ", systém má "
            + (item.has.empty() ? std::string("nic") : Quoted(item.has));
        if (item.command)
            message += " (příkaz " + Quoted(item.command->commandLine) + " skončil s chybovým kódem "
                + ExitCodeText(item.command->exitCode) + ")";
        message += ".";
    }
    message += "\r\n\r\nV polích zůstaly hodnoty, které jste zadali; ty, které se liší od aktuálního stavu, se "
               "nepodařilo nastavit.";
    return message;
}

std::optional<std::string> NoDhcpAddressMessage(
    const ApplyRequest& request, const SystemState& system, const std::string& connectionName)
{
    if (request.mode != ApplyRequest::Mode::Automatic || system.report.DHCP != "Yes")
        return std::nullopt;
    const std::optional<std::uint32_t> address = AddressValue(system.report.IP);
    const bool none = !address || *address == 0;
    const bool selfAssigned = address && (*address >> 16) == ((169u << 8) | 254u);
    if (!none && !selfAssigned)
        return std::nullopt;
    std::string message = "Připojení " + Quoted(connectionName) + " nedostalo adresu od serveru DHCP";
    message += none ? "." : " (adresu " + DottedAddress(*address) + " si Windows přidělil samy).";
    message += "\r\n\r\nZkontrolujte, zda je připojen kabel a zda server DHCP v síti běží.";
    return message;
}
