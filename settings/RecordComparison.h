#pragma once

#include "xml/DeviceProperties.h"

#include <cstdint>
#include <string>

namespace OM::Norvatessa::ControllerSettings
{

// The change marks of `edited` against `original`, set as the settings sheet sets them: they tell the
// device manager to follow a new address (PropIp) and to reconnect after a new port or mask. The sensors
// carry no mark; they are sent anyway, as every value is.
std::uint32_t ChangeMarks(const Xml::DeviceProperties& edited, const Xml::DeviceProperties& original);

// The keys of the values that differ, comma-separated ("name, port, sensor3"); empty when none does.
std::wstring DifferingKeys(const Xml::DeviceProperties& sent, const Xml::DeviceProperties& readBack);

} // namespace OM::Norvatessa::ControllerSettings
