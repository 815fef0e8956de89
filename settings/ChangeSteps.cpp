#include "settings/ChangeSteps.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "settings/RecordComparison.h"

namespace OM::Norvatessa::ControllerSettings
{

std::optional<std::wstring> ReadBackProblem(std::uint32_t answersAt, const Xml::DeviceProperties& written,
                                            const Xml::DeviceProperties& readBack)
{
    const std::wstring differing = DifferingKeys(written, readBack);
    if (differing.empty())
        return std::nullopt;
    return Words::Fill(Words::ReadBackDiffers, AddressText(answersAt), differing);
}

BatchWork::AfterReading ChangeSteps::AfterRead(std::uint32_t address, const DevicePropertiesResult& read)
{
    return {ApplySettingChanges(read.properties, changesOf(address)), {}};
}

std::optional<std::wstring> ChangeSteps::AfterWrite(std::uint32_t answersAt,
                                                    const Xml::DeviceProperties& written,
                                                    const Xml::DeviceProperties& readBack)
{
    return ReadBackProblem(answersAt, written, readBack);
}

} // namespace OM::Norvatessa::ControllerSettings
