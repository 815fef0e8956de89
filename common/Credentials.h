#pragma once

#include <string>

namespace OM::Norvatessa
{

// The login and password that answer a controller's demand for credentials.
struct Credentials
{
    std::wstring login;
    std::wstring password;

    bool operator==(const Credentials&) const = default;
};

} // namespace OM::Norvatessa
