#pragma once

#include "common/Credentials.h"
#include "device/CredentialStore.h"
#include "helpers/CriticalSection.h"

#include <atomic>
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
// It lives in memory, and is gone with the run. With a store of remembered credentials (the window
// program's), a controller that accepted nothing in this run gets what the user asked to remember for it,
// credentials it accepted in an earlier run; credentials the user asked to remember go into the store once
// a controller accepts them, and a remembered entry the controller refuses leaves the store, so that it is
// never sent first again.
class AcceptedCredentials
{
public:
    AcceptedCredentials() = default;
    AcceptedCredentials(const AcceptedCredentials&) = delete;
    AcceptedCredentials& operator=(const AcceptedCredentials&) = delete;

    // Before any exchange runs. The store stays the caller's and outlives every exchange; null: none.
    void Remember(const CredentialStore* remembered) noexcept { store.store(remembered); }

    // Any thread. What the controller accepted last, if anything, else what is remembered for it.
    std::optional<Credentials> For(std::uint32_t address) const;
    // Any thread. The controller answered a request that carried these; with `remember`, they are kept in
    // the store as well.
    void Accepted(std::uint32_t address, const Credentials& credentials, bool remember = false);
    // Any thread. The controller refused `credentials`, which it had accepted (its password changed): it
    // is asked again.
    void Refused(std::uint32_t address, const Credentials& credentials);
    // Any thread. The controller took a write that changed an account from `before` to `after`: when it
    // had accepted the credentials of `before`, those of `after` go with its next request (the read back),
    // and take the place of `before` in the store.
    void Changed(std::uint32_t address, const Credentials& before, const Credentials& after);

private:
    mutable Helpers::CriticalSection lock;
    std::map<std::uint32_t, Credentials> accepted;      // guarded by `lock`
    std::atomic<const CredentialStore*> store{nullptr}; // set while no exchange runs
};

} // namespace OM::Norvatessa
