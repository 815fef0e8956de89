#pragma once

#include "common/CodePage.h"
#include "common/Credentials.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace OM::Norvatessa::ControllerSettings
{

using Norvatessa::Credentials;

// A file of controllers' own credentials, a line each: "A.B.C.D,LOGIN,PASSWORD". The separator is the
// first ",", ";" or tab after the address, and the password runs to the end of the line, whatever it
// holds. Its text is UTF-16 or UTF-8 with a byte-order mark, UTF-8, or in `codePage`, against which the
// login and the password are checked as the settings sheet checks them.
struct CredentialsFile
{
    std::map<std::uint32_t, Credentials> credentials;
    std::size_t badLine = 0;               // the first line that is no such record; 0 when none is
    std::optional<std::uint32_t> repeated; // a controller given twice
};
CredentialsFile ReadCredentialsFile(std::string_view bytes, const CodePage& codePage);

} // namespace OM::Norvatessa::ControllerSettings
