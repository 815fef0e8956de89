#pragma once

#include <cstdint>
#include <string>

namespace OM::Norvatessa
{

// A controller that answered discovery.
struct DiscoveredController
{
    std::uint32_t address = 0; // IPv4 address of the reply's sender, first dotted number in the top byte
    std::uint16_t port = 0;    // the controller's HTTP port
    std::wstring name;         // possibly empty
    bool conflict = false;     // replies from this address disagreed: two controllers share it
    bool answered = true;      // false for a controller added by address that did not answer the search
    // Of a controller that did not answer: the Windows Sockets error that kept its probe from being sent
    // (WSAENETUNREACH where the workstation has no route to it); 0 when the probe went out.
    std::int32_t probeError = 0;
};

} // namespace OM::Norvatessa
