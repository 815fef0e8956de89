#pragma once

#include "engine/NetworkAdapters.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// Why an address of the run is given to no controller.
enum class AddressSkip
{
    InList,       // a controller of the list holds it
    Gateway,      // it is the gateway given for all
    SubnetEdge,   // the network's own address or its broadcast address, under the mask given for all
    AnswersEcho,  // a host answered an ICMP echo there
    AnswersProbe, // a controller answered the discovery probe there
};

// What the user asks for: the selected controllers' addresses in list order, the first address of the run,
// and a mask and a gateway for all (nothing: each keeps its own).
struct AddressRequest
{
    std::vector<std::uint32_t> controllers;
    std::uint32_t start = 0;
    std::optional<std::uint32_t> mask;
    std::optional<std::uint32_t> gateway;
};

// What is known of the network besides: the addresses the list holds, what the probes heard, and the
// workstation's adapters.
struct AddressSurroundings
{
    std::set<std::uint32_t> listed;
    std::set<std::uint32_t> probed;                // every address the probes asked
    std::map<std::uint32_t, AddressSkip> answered; // of those, the ones that answered, and how
    std::vector<NetworkAdapter> adapters;
};

struct GivenAddress
{
    std::uint32_t from = 0;
    std::uint32_t to = 0;
    // The controller was found through an adapter whose subnet does not hold `to`: the workstation may not
    // reach it there without a router.
    std::optional<NetworkAdapter> outsideOf;
};

struct SkippedAddress
{
    std::uint32_t address = 0;
    AddressSkip why = AddressSkip::InList;
};

// Consecutive addresses from the start, each controller the next one that nothing holds.
struct AddressPlan
{
    std::vector<GivenAddress> given; // in the order of the controllers; fewer when the run ran out
    std::vector<SkippedAddress> skipped;
    // Addresses the plan gives that no probe asked yet: probe them and plan again until there are none.
    std::vector<std::uint32_t> unprobed;
    bool Complete(std::size_t controllers) const noexcept { return given.size() == controllers; }
};

// An address walk goes this far past the start at most, so that a full network ends the walk.
inline constexpr std::size_t MostAddressesWalked = 4096;

// Plans the run; window-free, so that a search of the network (the probes) and the plan take turns.
AddressPlan PlanAddresses(const AddressRequest& request, const AddressSurroundings& surroundings);

// The adapter whose subnet holds the address: the one a broadcast search heard it through. Nothing for a
// controller reached through a router.
std::optional<NetworkAdapter> AdapterHolding(std::uint32_t address,
                                             const std::vector<NetworkAdapter>& adapters);

// The preview's words: the addresses passed over, each with why (the first MostSkippedShown of them, and
// how many more); the note on an address outside the subnet
// of the controller's adapter.
inline constexpr std::size_t MostSkippedShown = 8;
std::wstring SkippedText(const std::vector<SkippedAddress>& skipped);
std::wstring OutsideText(const NetworkAdapter& adapter);

} // namespace OM::Norvatessa
