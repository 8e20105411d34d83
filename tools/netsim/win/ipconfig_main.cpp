// ipconfig.exe stand-in: releases and renews the simulated DHCP leases kept
// in netsim-state.txt and prints a Czech summary.
#include "tools/netsim/win/win_host.h"

int main()
{
    netsim::WinHost host;
    return netsim::RunTool(netsim::Tool::Ipconfig, host);
}
