// The state file: the simulated machine as hand-editable INI-like UTF-8 text.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "tools/netsim/state.h"

namespace netsim {

struct StateFileError {
    int line = 0;         // 1-based
    std::string message;  // Czech, UTF-8, without the line number
};

std::variant<MachineState, StateFileError> ParseStateFile(std::string_view text);

// The whole file, documentation header included, with CR LF line ends.
std::string FormatStateFile(const MachineState& state);

}  // namespace netsim
