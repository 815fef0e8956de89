#pragma once

#include "common/Credentials.h"
#include "helpers/CriticalSection.h"

#include <cstdint>
#include <map>
#include <optional>

namespace OM::Norvatessa
{

// The credentials each controller has accepted during this run, by its address: only these go out with a
// controller's first request. Any other controller first gets its request without them and is given them
// only after it has asked (401), so that a site's password never reaches a device that did not ask for it.
//
// Every thread that runs exchanges shares the one memory of its engine; each call holds its lock briefly.
// It lives in memory only, and is gone with the run.
class AcceptedCredentials
{
public:
    AcceptedCredentials() = default;
    AcceptedCredentials(const AcceptedCredentials&) = delete;
    AcceptedCredentials& operator=(const AcceptedCredentials&) = delete;

    // Any thread. What the controller accepted last, if anything.
    std::optional<Credentials> For(std::uint32_t address) const;
    // Any thread. The controller answered a request that carried these.
    void Accepted(std::uint32_t address, const Credentials& credentials);
    // Any thread. The controller refused what it had accepted (its password changed): it is asked again.
    void Refused(std::uint32_t address);
    // Any thread. The controller took a write that changed an account from `before` to `after`: when it
    // had accepted the credentials of `before`, those of `after` go with its next request (the read back).
    void Changed(std::uint32_t address, const Credentials& before, const Credentials& after);

private:
    mutable Helpers::CriticalSection lock;
    std::map<std::uint32_t, Credentials> accepted; // guarded by `lock`
};

} // namespace OM::Norvatessa
