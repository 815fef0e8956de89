#pragma once

#include "common/CodePage.h"
#include "xml/DeviceProperties.h"

#include <optional>
#include <string>
#include <string_view>

namespace OM::Norvatessa::ControllerSettings
{

// The checks a text passes before it may go to a controller: the settings sheet's checks with its words
// (ValueChecks, Words), and the lengths that its fields let the user type. Each gives the reason
// for refusing the text, or nothing.
std::optional<std::wstring> NameRefusal(std::wstring_view name, const CodePage& codePage);
std::optional<std::wstring> LoginRefusal(std::wstring_view login, const CodePage& codePage);
std::optional<std::wstring> PasswordRefusal(std::wstring_view password, const CodePage& codePage);

// A refused value of a restored file: its attribute and the reason.
struct RecordRefusal
{
    std::wstring key;
    std::wstring reason;
};

} // namespace OM::Norvatessa::ControllerSettings
