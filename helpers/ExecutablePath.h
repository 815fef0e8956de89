#pragma once

#include <string>

namespace OM::Helpers
{

// The running executable's full path, of any length Windows accepts; empty when it cannot be read.
std::wstring ExecutablePath();

} // namespace OM::Helpers
