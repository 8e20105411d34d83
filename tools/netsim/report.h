// The report of `netsh interface ip show config`, as Czech Windows XP
// prints it.
#pragma once

#include <string>

#include "tools/netsim/state.h"

namespace netsim {

// UTF-8 with CR LF line ends; one section per connection in state order,
// or only `only`'s section when given.
std::string RenderConfigReport(const MachineState& state, const Connection* only = nullptr);

}  // namespace netsim
