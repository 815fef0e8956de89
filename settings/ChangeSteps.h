#pragma once

#include "engine/BatchWork.h"
#include "settings/SettingAssignments.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace OM::Norvatessa::ControllerSettings
{

// Why the settings read back after a write are not what was written, or nothing when they are: a
// controller that confirms a change it did not make is caught.
std::optional<std::wstring> ReadBackProblem(std::uint32_t answersAt, const Xml::DeviceProperties& written,
                                            const Xml::DeviceProperties& readBack);

// Controllers changed on the lanes, by both programs: each read, given `changesOf` its address, written,
// and read back and compared with what was sent. `changesOf` is called for several controllers at once.
class ChangeSteps final : public BatchWork
{
public:
    using Changes = std::function<const SettingChanges&(std::uint32_t address)>;

    explicit ChangeSteps(Changes changesOf) : changesOf(std::move(changesOf)) {}

    AfterReading AfterRead(std::uint32_t address, const DevicePropertiesResult& read) override;
    std::optional<std::wstring> AfterWrite(std::uint32_t answersAt, const Xml::DeviceProperties& written,
                                           const Xml::DeviceProperties& readBack) override;

private:
    const Changes changesOf;
};

} // namespace OM::Norvatessa::ControllerSettings
