#pragma once

#include "engine/AddressPlan.h"

#include <cstdint>
#include <map>
#include <vector>

namespace OM::Norvatessa
{

// Whether something lives at each address: an ICMP echo to every address and the controllers' discovery
// probe to every address (at `probePort`, the settings' udpSendPort), all at once, each answer awaited
// EchoTimeoutMs. The addresses that answered, with how (a controller's probe answer wins over its echo). A
// host that drops echoes and is no controller is not seen.
//
// Runs on a thread of the caller's, never the user-interface thread: it blocks about a second. The reply
// port of discovery must be free (no search runs), and Windows Sockets started.
inline constexpr std::uint32_t EchoTimeoutMs = 1000;
std::map<std::uint32_t, AddressSkip> ProbeAddresses(const std::vector<std::uint32_t>& addresses,
                                                    std::uint16_t probePort);

// The plan with every address it gives probed: plans, probes the addresses not probed yet, and plans again
// with what answered, until nothing is left to probe (or MostProbeRounds went by: the plan then still
// names addresses in `unprobed`). The workstation's adapters join `surroundings`. Blocks as ProbeAddresses.
inline constexpr int MostProbeRounds = 16;
AddressPlan ProbeAndPlan(const AddressRequest& request, AddressSurroundings surroundings,
                         std::uint16_t probePort);

} // namespace OM::Norvatessa
