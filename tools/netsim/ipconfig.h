// The ipconfig switches the stand-in knows: none or /all (a summary),
// /release ["<name>"] and /renew ["<name>"] (only DHCP connections take part),
// and /? (help). Switches may start with / or - and ignore case.
#pragma once

#include <string>
#include <vector>

#include "tools/netsim/outcome.h"
#include "tools/netsim/state.h"

namespace netsim {

// Arguments after the program name.
Outcome RunIpconfig(MachineState& state, const std::vector<std::string>& args);

}  // namespace netsim
