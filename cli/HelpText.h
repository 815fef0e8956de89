#pragma once

#include <string>
#include <string_view>

namespace OM::Norvatessa::Cli
{

// The help of one command, or the program's general help for an empty or unknown command.
std::wstring HelpText(std::wstring_view command);

} // namespace OM::Norvatessa::Cli
