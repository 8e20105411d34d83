// Internet Explorer's proxy switch and server of the current user: where they
// are kept, how they are read and how they are written, in one place.
#pragma once

#include "core/connection_fields.h"

#include <optional>
#include <string>

// The two values as the registry holds them.
struct ProxyRegistryValues {
    std::optional<int> enable;          // "ProxyEnable"; nothing when missing or unreadable
    std::optional<std::string> server;  // "ProxyServer"; likewise
    // A value that is there but cannot be read as its type, and what is
    // said of it (empty when it was read).
    std::string enableProblem, serverProblem;
};
ProxyRegistryValues ReadProxySettings();

// Both values together or neither: when the server cannot be written, the
// switch is put back as it was and the server's failure is raised.
ProxyWritten WriteProxySettings(const ProxyWrite& write);
