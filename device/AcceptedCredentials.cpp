#include "device/AcceptedCredentials.h"

namespace OM::Norvatessa
{

using Helpers::CriticalSectionLock;

std::optional<Credentials> AcceptedCredentials::For(std::uint32_t address) const
{
    {
        CriticalSectionLock held(lock);
        const auto found = accepted.find(address);
        if (found != accepted.end())
            return found->second;
    }
    // Outside the lock: the system's store answers in its own time.
    const CredentialStore* const remembered = store.load();
    return remembered != nullptr ? remembered->Find(address) : std::nullopt;
}

void AcceptedCredentials::Accepted(std::uint32_t address, const Credentials& credentials, bool remember)
{
    {
        CriticalSectionLock held(lock);
        accepted[address] = credentials;
    }
    const CredentialStore* const remembered = store.load();
    if (remember && remembered != nullptr)
        remembered->Remember(address, credentials);
}

void AcceptedCredentials::Refused(std::uint32_t address, const Credentials& credentials)
{
    {
        CriticalSectionLock held(lock);
        accepted.erase(address);
    }
    const CredentialStore* const remembered = store.load();
    if (remembered != nullptr && remembered->Find(address) == credentials)
        remembered->Forget(address);
}

void AcceptedCredentials::Changed(std::uint32_t address, const Credentials& before, const Credentials& after)
{
    {
        CriticalSectionLock held(lock);
        const auto found = accepted.find(address);
        if (found != accepted.end() && found->second == before)
            found->second = after;
    }
    const CredentialStore* const remembered = store.load();
    if (remembered != nullptr && remembered->Find(address) == before)
        remembered->Remember(address, after);
}

} // namespace OM::Norvatessa
