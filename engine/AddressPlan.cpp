#include "engine/AddressPlan.h"

#include "common/AddressText.h"
#include "common/Words.h"

#include <algorithm>
#include <bit>
#include <span>

namespace OM::Norvatessa
{

namespace
{

bool SameSubnet(std::uint32_t first, std::uint32_t second, std::uint32_t mask)
{
    return (first & mask) == (second & mask);
}

// Why the address is given to nobody, or nothing when it is free as far as anything tells.
std::optional<AddressSkip> SkipOf(std::uint32_t address, const AddressRequest& request,
                                  const AddressSurroundings& surroundings)
{
    if (surroundings.listed.contains(address))
        return AddressSkip::InList;
    if (request.gateway && *request.gateway == address)
        return AddressSkip::Gateway;
    // A /31 or /32 has no network or broadcast address of its own.
    if (const std::uint32_t mask = request.mask.value_or(0); mask != 0 && ~mask > 1)
    {
        if ((address & ~mask) == 0 || (address & ~mask) == ~mask)
            return AddressSkip::SubnetEdge;
    }
    if (const auto answer = surroundings.answered.find(address); answer != surroundings.answered.end())
        return answer->second;
    return std::nullopt;
}

} // namespace

std::optional<NetworkAdapter> AdapterHolding(std::uint32_t address,
                                             const std::vector<NetworkAdapter>& adapters)
{
    for (const NetworkAdapter& adapter : adapters)
    {
        if (adapter.mask != 0 && SameSubnet(adapter.address, address, adapter.mask))
            return adapter;
    }
    return std::nullopt;
}

AddressPlan PlanAddresses(const AddressRequest& request, const AddressSurroundings& surroundings)
{
    AddressPlan plan;
    std::uint32_t address = request.start;
    for (std::size_t walked = 0;
         plan.given.size() < request.controllers.size() && walked < MostAddressesWalked; ++walked, ++address)
    {
        // 255.255.255.255 would cut a controller off, and the run ends there.
        if (address == 0xFFFFFFFFu || address == 0)
            break;
        if (const std::optional<AddressSkip> skip = SkipOf(address, request, surroundings))
        {
            plan.skipped.push_back({address, *skip});
            continue;
        }
        if (!surroundings.probed.contains(address))
            plan.unprobed.push_back(address);
        GivenAddress given{request.controllers[plan.given.size()], address, std::nullopt};
        if (const auto adapter = AdapterHolding(given.from, surroundings.adapters);
            adapter && !SameSubnet(adapter->address, address, adapter->mask))
            given.outsideOf = adapter;
        plan.given.push_back(std::move(given));
    }
    return plan;
}

std::wstring SkippedText(const std::vector<SkippedAddress>& skipped)
{
    if (skipped.empty())
        return Words::NothingSkipped;
    std::wstring list;
    for (const SkippedAddress& skip : std::span(skipped.data(), std::min(skipped.size(), MostSkippedShown)))
    {
        const wchar_t* why = skip.why == AddressSkip::InList        ? Words::SkippedInList
                             : skip.why == AddressSkip::Gateway     ? Words::SkippedGateway
                             : skip.why == AddressSkip::SubnetEdge  ? Words::SkippedSubnetEdge
                             : skip.why == AddressSkip::AnswersEcho ? Words::SkippedEcho
                                                                    : Words::SkippedProbe;
        list +=
            (list.empty() ? L"" : L", ") + Words::Fill(Words::SkippedAddress, AddressText(skip.address), why);
    }
    if (skipped.size() > MostSkippedShown)
        list = Words::Fill(Words::SkippedMore, list, skipped.size() - MostSkippedShown);
    return Words::Fill(Words::SkippedAddresses, list);
}

std::wstring OutsideText(const NetworkAdapter& adapter)
{
    const std::wstring subnet =
        AddressText(adapter.address & adapter.mask) + L'/' + std::to_wstring(std::popcount(adapter.mask));
    return Words::Fill(Words::OutsideAdapterSubnet, adapter.name, subnet);
}

} // namespace OM::Norvatessa
