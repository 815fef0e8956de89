#pragma once

#include "common/Credentials.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace OM::Norvatessa
{

// The credentials a user asked the program to remember, in the system's credential store of the current
// user: one generic entry per controller, named `prefix` and the controller's address ("PREFIX10.1.0.5"),
// the login as its user name and the password as its secret. They never go into the settings file or a
// log. The store outlives the program (and, under Wine, the prefix's server), so a test gives a prefix of
// its own and forgets it before and after.
//
// Any thread: every call goes to the system on its own, and the store holds nothing but the prefix.
class CredentialStore
{
public:
    explicit CredentialStore(std::wstring prefix) : prefix(std::move(prefix)) {}

    // What is remembered for the controller; nothing when no entry is there or it cannot be read.
    std::optional<Credentials> Find(std::uint32_t address) const;
    // Writes or replaces the controller's entry; the system's error, or ERROR_SUCCESS.
    DWORD Remember(std::uint32_t address, const Credentials& credentials) const;
    // Deletes the controller's entry, if there is one.
    void Forget(std::uint32_t address) const;
    // Deletes every entry of the prefix; how many, or nothing when the store could not be listed.
    std::optional<std::size_t> ForgetAll() const;

    const std::wstring& Prefix() const noexcept { return prefix; }

private:
    std::wstring Name(std::uint32_t address) const;

    std::wstring prefix;
};

} // namespace OM::Norvatessa
