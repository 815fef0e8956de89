#include "settings/AddressSteps.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "settings/RecordComparison.h"

namespace OM::Norvatessa::ControllerSettings
{

AddressSteps::AddressSteps(const std::map<std::uint32_t, std::uint32_t>& newAddresses,
                           std::optional<std::uint32_t> mask, std::optional<std::uint32_t> gateway)
{
    for (const auto& [from, to] : newAddresses)
        changes.emplace(from, AddressChanges(to, mask, gateway));
}

BatchWork::AfterReading AddressSteps::AfterRead(std::uint32_t address, const DevicePropertiesResult& read)
{
    const auto own = changes.find(address);
    // Only the controllers of the plan are in the batch.
    if (own == changes.end())
        return {std::nullopt, Words::ExchangeFailed};
    return {ApplySettingChanges(read.properties, own->second), {}};
}

std::optional<std::wstring> AddressSteps::AfterWrite(std::uint32_t answersAt,
                                                     const Xml::DeviceProperties& written,
                                                     const Xml::DeviceProperties& readBack)
{
    const std::wstring differing = DifferingKeys(written, readBack);
    if (differing.empty())
        return std::nullopt;
    return Words::Fill(Words::ReadBackDiffers, AddressText(answersAt), differing);
}

} // namespace OM::Norvatessa::ControllerSettings
