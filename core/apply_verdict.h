// Whether an apply took: what was asked of the system against what the
// read-back then found. Exit codes do not decide it: ipconfig fails for an
// adapter that is not on DHCP or has no cable, and netsh fails to switch on
// DHCP where it is on already, while the connection is exactly as asked; and
// a command may end well while the system did not take the setting.
#pragma once

#include "core/command_messages.h"
#include "core/connection_fields.h"
#include "core/line_list.h"

#include <optional>
#include <string>
#include <vector>

// The settings an apply may ask for, as the user knows them.
enum class AppliedSetting { Mode, IP, Mask, Gateway, DNS, DNS2, ProxyEnable, ProxyServer };

// What the apply asked for, as its commands and registry writes had it.
struct ApplyRequest {
    enum class Mode { Neither, Automatic, Manual } mode = Mode::Neither;
    // Manual addressing, as the user typed them; "none" or empty for none.
    std::string ip, mask, gateway, dns, dns2;
    bool dns2Asked = false;                  // the alternate server is judged only where it could be set
    std::optional<int> proxyEnable;          // nothing: the value was left as it was
    std::optional<std::string> proxyServer;  // likewise
    // The commands that ended with an error, each with the setting it sets.
    struct Command {
        AppliedSetting setting;
        CommandFailure failure;
    };
    std::vector<Command> failedCommands;
};

// What the system has after the apply.
struct SystemState {
    bool connectionListed = false;           // the report still names the connection
    CurrentState report;                     // its section's addresses and DHCP answer
    std::optional<int> proxyEnable;          // nothing: missing, or of another type
    std::optional<std::string> proxyServer;  // likewise
};

// The applied connection's part of a fresh report.
SystemState ReportStateOf(const LineList& report, const std::string& connectionName);

// A setting the system does not have as asked.
struct SettingNotTaken {
    AppliedSetting setting;
    std::string asked, has;                 // as the user reads them; `has` empty: nothing
    std::optional<CommandFailure> command;  // the command that sets it, when it ended with an error
};

// Every setting asked for that the system does not have; addresses are
// compared as numbers, "none" as nothing.
std::vector<SettingNotTaken> SettingsNotTaken(const ApplyRequest& request, const SystemState& system);

// One box for all of them, and what the fields then show.
std::string SettingsNotTakenMessage(const std::vector<SettingNotTaken>& notTaken);
// The status bar's note once the fields show what the user asked for.
extern const char kSettingsNotTakenStatus[];

// Automatic addressing that got no address from a DHCP server: none at all,
// or one Windows gave itself (169.254.x.x). The box to show, or nothing.
std::optional<std::string> NoDhcpAddressMessage(
    const ApplyRequest& request, const SystemState& system, const std::string& connectionName);
