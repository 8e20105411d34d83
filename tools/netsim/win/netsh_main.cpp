// netsh.exe stand-in: the Czech Windows XP netsh, as far as the network
// settings tool uses it, on a simulated machine kept in netsim-state.txt.
#include "tools/netsim/win/win_host.h"

int main()
{
    netsim::WinHost host;
    return netsim::RunTool(netsim::Tool::Netsh, host);
}
