#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// One IPv4 address of a network adapter that is up, as a search probes through it.
struct NetworkAdapter
{
    std::uint32_t address = 0; // first dotted number in the top byte
    std::uint32_t mask = 0;    // of the adapter's subnet, from its prefix length
    std::wstring name;         // the adapter's name as the system shows it ("Ethernet")

    // Where a datagram reaches every host of the adapter's subnet; 0 for a subnet too small for one.
    std::uint32_t DirectedBroadcast() const noexcept { return mask == 0 || ~mask <= 1 ? 0 : address | ~mask; }
};

// An adapter as one search probed through it: `error` is the Windows Sockets error that kept the probe
// from going out through it, 0 when it did.
struct ProbedAdapter
{
    NetworkAdapter adapter;
    std::int32_t error = 0;
};

// Every IPv4 address of every adapter that is up, the loopback adapter left out (told by its type: its
// address may be anything). Empty when the system cannot tell.
std::vector<NetworkAdapter> UpAdapters();

} // namespace OM::Norvatessa
