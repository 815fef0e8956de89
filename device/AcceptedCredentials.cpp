#include "device/AcceptedCredentials.h"

namespace OM::Norvatessa
{

using Helpers::CriticalSectionLock;

std::optional<Credentials> AcceptedCredentials::For(std::uint32_t address) const
{
    CriticalSectionLock held(lock);
    const auto found = accepted.find(address);
    if (found == accepted.end())
        return std::nullopt;
    return found->second;
}

void AcceptedCredentials::Accepted(std::uint32_t address, const Credentials& credentials)
{
    CriticalSectionLock held(lock);
    accepted[address] = credentials;
}

void AcceptedCredentials::Refused(std::uint32_t address)
{
    CriticalSectionLock held(lock);
    accepted.erase(address);
}

void AcceptedCredentials::Changed(std::uint32_t address, const Credentials& before, const Credentials& after)
{
    CriticalSectionLock held(lock);
    const auto found = accepted.find(address);
    if (found != accepted.end() && found->second == before)
        found->second = after;
}

} // namespace OM::Norvatessa
