#pragma once

#include "common/Words.h"

namespace OM::Norvatessa
{

// What the wait dialog's second line says while an exchange runs: the programs' words, named here as the
// exchanges use them.
using Words::AuthorizationLabel;
using Words::ReadPropertiesLabel;
using Words::WritePropertiesLabel;

// What is requested on the controller.
inline constexpr wchar_t AuthorizationObject[] = L"config";
inline constexpr wchar_t PropertiesObject[] = L"config.xml";

} // namespace OM::Norvatessa
