#include "device/CredentialStore.h"

#include "common/AddressText.h"
#include "helpers/UniqueResource.h"

#include <wincred.h>

#include <vector>

namespace OM::Norvatessa
{

namespace
{

// What CredRead and CredEnumerate hand out, freed with CredFree.
struct CredentialBufferTraits
{
    using Handle = void*;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle buffer) noexcept { ::CredFree(buffer); }
};
using CredentialBuffer = Helpers::UniqueResource<CredentialBufferTraits>;

} // namespace

std::wstring CredentialStore::Name(std::uint32_t address) const
{
    return prefix + AddressText(address);
}

std::optional<Credentials> CredentialStore::Find(std::uint32_t address) const
{
    PCREDENTIALW read = nullptr;
    if (!::CredReadW(Name(address).c_str(), CRED_TYPE_GENERIC, 0, &read))
        return std::nullopt;
    const CredentialBuffer held(read);
    Credentials found;
    if (read->UserName != nullptr)
        found.login = read->UserName;
    // The secret is the password's UTF-16 text without its end.
    const auto* password = reinterpret_cast<const wchar_t*>(read->CredentialBlob);
    found.password.assign(password, password + read->CredentialBlobSize / sizeof(wchar_t));
    return found;
}

DWORD CredentialStore::Remember(std::uint32_t address, const Credentials& credentials) const
{
    std::wstring name = Name(address);
    std::wstring login = credentials.login;
    std::wstring password = credentials.password;
    CREDENTIALW entry{};
    entry.Type = CRED_TYPE_GENERIC;
    entry.TargetName = name.data();
    entry.UserName = login.data();
    entry.CredentialBlob = reinterpret_cast<BYTE*>(password.data());
    entry.CredentialBlobSize = static_cast<DWORD>(password.size() * sizeof(wchar_t));
    // Kept for this user on this computer, across sessions; never carried to other computers.
    entry.Persist = CRED_PERSIST_LOCAL_MACHINE;
    const DWORD error = ::CredWriteW(&entry, 0) ? ERROR_SUCCESS : ::GetLastError();
    ::SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
    return error;
}

void CredentialStore::Forget(std::uint32_t address) const
{
    ::CredDeleteW(Name(address).c_str(), CRED_TYPE_GENERIC, 0);
}

std::optional<std::size_t> CredentialStore::ForgetAll() const
{
    const std::wstring filter = prefix + L"*";
    DWORD count = 0;
    PCREDENTIALW* listed = nullptr;
    if (!::CredEnumerateW(filter.c_str(), 0, &count, &listed))
    {
        if (::GetLastError() == ERROR_NOT_FOUND)
            return 0;
        return std::nullopt;
    }
    const CredentialBuffer held(listed);
    // Named first: the list is the system's, and each delete changes the store under it.
    std::vector<std::wstring> names;
    for (DWORD index = 0; index < count; ++index)
    {
        if (listed[index]->Type == CRED_TYPE_GENERIC)
            names.emplace_back(listed[index]->TargetName);
    }
    std::size_t forgotten = 0;
    for (const std::wstring& name : names)
        forgotten += ::CredDeleteW(name.c_str(), CRED_TYPE_GENERIC, 0) ? 1 : 0;
    return forgotten;
}

} // namespace OM::Norvatessa
