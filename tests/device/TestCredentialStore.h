#pragma once

#include "device/CredentialStore.h"

namespace OM::Norvatessa::Testing
{

// The credential store under `prefix`, empty before and after the test, also one that fails half-way: the
// system's store outlives the process and the Wine server.
class TestCredentialStore : public CredentialStore
{
public:
    explicit TestCredentialStore(const wchar_t* prefix) : CredentialStore(prefix) { ForgetAll(); }
    ~TestCredentialStore() { ForgetAll(); }
    TestCredentialStore(const TestCredentialStore&) = delete;
    TestCredentialStore& operator=(const TestCredentialStore&) = delete;
};

} // namespace OM::Norvatessa::Testing
