// The simulated DHCP server's leases and the demo machine.
#include "tools/netsim/state.h"

#include "tools/netsim/address.h"

namespace netsim {

Connection* MachineState::Find(std::string_view name)
{
    for (auto& connection : connections) {
        if (connection.name == name)
            return &connection;
    }
    return nullptr;
}

const Connection* MachineState::Find(std::string_view name) const
{
    return const_cast<MachineState*>(this)->Find(name);
}

void GiveLease(MachineState& state, std::size_t index)
{
    Connection& connection = state.connections[index];
    if (!state.sim.dhcpAnswers) {
        connection.ip = "169.254." + std::to_string((index + 1) % 255) + ".7";
        connection.mask = "255.255.0.0";
        connection.gateway.clear();
        return;
    }
    const auto pool = ParseAddress(state.sim.dhcpPool).value_or(0);
    connection.ip = FormatAddress(pool + static_cast<std::uint32_t>(index));
    connection.mask = state.sim.dhcpMask;
    connection.gateway = state.sim.dhcpGateway;
}

void ReleaseLease(Connection& connection)
{
    connection.ip = kNoAddress;
    connection.mask = kNoAddress;
    connection.gateway.clear();
}

bool HasLease(const Connection& connection)
{
    return connection.dhcp && connection.ip != kNoAddress;
}

MachineState DemoState()
{
    MachineState state;
    Connection wired;
    wired.name = "Připojení k místní síti";
    wired.ip = "192.168.1.10";
    wired.mask = "255.255.255.0";
    wired.gateway = "192.168.1.1";
    wired.dns = {"192.168.1.1", "8.8.8.8"};
    state.connections.push_back(wired);

    Connection wireless;
    wireless.name = "Bezdrátové připojení k síti";
    wireless.dhcp = true;
    wireless.dnsFromDhcp = true;
    state.connections.push_back(wireless);
    GiveLease(state, 1);
    return state;
}

}  // namespace netsim
