#pragma once

#include "engine/BatchWork.h"
#include "settings/SettingAssignments.h"

#include <cstdint>
#include <map>
#include <optional>

namespace OM::Norvatessa::ControllerSettings
{

// The steps of a batch that gives each controller an address of its own, with a mask and a gateway for
// all: each is read, given its own changes, written, and read back at its new address and compared with
// what was sent, as the console's `set` does with one. Read only once made, so the lanes share it.
class AddressSteps final : public BatchWork
{
public:
    // The new address of each controller, by the address it has now.
    AddressSteps(const std::map<std::uint32_t, std::uint32_t>& newAddresses,
                 std::optional<std::uint32_t> mask, std::optional<std::uint32_t> gateway);

    AfterReading AfterRead(std::uint32_t address, const DevicePropertiesResult& read) override;
    std::optional<std::wstring> AfterWrite(std::uint32_t answersAt, const Xml::DeviceProperties& written,
                                           const Xml::DeviceProperties& readBack) override;

private:
    std::map<std::uint32_t, SettingChanges> changes;
};

} // namespace OM::Norvatessa::ControllerSettings
