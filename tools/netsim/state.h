// The simulated machine: its network connections, the simulated DHCP server
// and the hooks that let tests make the programs slow, stuck or failing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netsim {

struct Connection {
    std::string name;
    bool dhcp = false;  // address from DHCP; ip/mask/gateway are then the lease
    std::string ip;     // normalised dotted addresses
    std::string mask;
    std::string gateway;    // empty: no default gateway
    int gatewayMetric = 1;  // of a static gateway
    bool dnsFromDhcp = false;
    std::vector<std::string> dns;  // static DNS servers, in order
    bool cable = true;             // false: the media is disconnected

    bool operator==(const Connection&) const = default;
};

struct Simulator {
    unsigned delayMs = 0;
    bool hang = false;
    std::string gate;  // empty: no gate
    std::optional<std::int64_t> exitCode;
    std::string reportFile;  // empty: render the report
    std::string dhcpPool = "10.0.0.100";
    std::string dhcpMask = "255.255.255.0";
    std::string dhcpGateway = "10.0.0.1";
    std::vector<std::string> dhcpDns{"10.0.0.1"};
    // false: no DHCP server answers, and a lease asked for is the address
    // Windows gives itself (169.254.x.x, no gateway).
    bool dhcpAnswers = true;

    bool operator==(const Simulator&) const = default;
};

struct MachineState {
    Simulator sim;
    std::vector<Connection> connections;  // in the order they are reported

    // Names match exactly, as the report prints them.
    Connection* Find(std::string_view name);
    const Connection* Find(std::string_view name) const;

    bool operator==(const MachineState&) const = default;
};

inline constexpr char kNoAddress[] = "0.0.0.0";

// The lease of connection `index`: the pool address plus its position in the
// list, so every connection always gets the same address and no two share one.
// Without a server that answers, 169.254.<index + 1>.7 with mask 255.255.0.0.
void GiveLease(MachineState& state, std::size_t index);
void ReleaseLease(Connection& connection);
bool HasLease(const Connection& connection);

// What a missing state file stands for: one static and one DHCP connection.
MachineState DemoState();

}  // namespace netsim
