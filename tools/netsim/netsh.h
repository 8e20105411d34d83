// The netsh commands the stand-in knows:
//   interface ip show config ["<name>"]
//   interface ip set address "<name>" dhcp
//   interface ip set address "<name>" static <ip> <mask> <gateway> [<metric>]
//   interface ip set address "<name>" static <ip> <mask> none
//   interface ip set dns "<name>" dhcp | static <address> | static none
//   interface ip add dns "<name>" <address> [<index>]
// Command words are case-insensitive; connection names match exactly.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "tools/netsim/outcome.h"
#include "tools/netsim/state.h"

namespace netsim {

struct NetshCommand {
    enum class Kind { ShowConfig, SetAddressDhcp, SetAddressStatic, SetDnsDhcp, SetDnsStatic, AddDns };
    Kind kind = Kind::ShowConfig;
    std::optional<std::string> name;  // absent only for a report of every connection
    std::string ip, mask, gateway;    // normalised; gateway empty for none
    int metric = 1;
    std::string dns;        // empty for set dns ... static none
    std::size_t index = 0;  // add dns position, 1-based; 0 = at the end
};

// Arguments after the program name. A malformed command gives the Outcome
// that netsh reports for it.
std::variant<NetshCommand, Outcome> ParseNetsh(const std::vector<std::string>& args);

// Carries out a parsed command; on failure the state stays untouched.
Outcome RunNetsh(MachineState& state, const NetshCommand& command);

}  // namespace netsim
