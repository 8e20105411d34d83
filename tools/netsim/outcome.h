// What one command did: its exit code, its text for the console and
// whether the simulated machine changed (and so has to be saved).
#pragma once

#include <string>

namespace netsim {

struct Outcome {
    int exitCode = 0;
    std::string text;  // UTF-8 with CR LF line ends
    bool stateChanged = false;
};

inline Outcome Failure(std::string line)
{
    return {1, std::move(line) + "\r\n", false};
}

}  // namespace netsim
