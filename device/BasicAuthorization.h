#pragma once

#include "common/Credentials.h"

#include <optional>
#include <string>

namespace OM::Norvatessa
{

// The header line that carries credentials to a controller ("Authorization: Basic ...\r\n"): the login and
// the password in the thread's ANSI code page, as the controller keeps them in its document. Nothing when
// either has a character that code page lacks: the controller would be sent other credentials.
std::optional<std::wstring> BasicAuthorization(const Credentials& credentials);

} // namespace OM::Norvatessa
