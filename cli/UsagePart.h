#pragma once

#include <string_view>

namespace OM::Norvatessa::Cli
{

// A part of the usage ("general", "common", "discover", ...), as cli/Usage.txt holds it, each line ending in
// a line feed; empty for a name that is no part. Its source is made from that file by the build.
std::wstring_view UsagePart(std::wstring_view name);

} // namespace OM::Norvatessa::Cli
