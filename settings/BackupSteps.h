#pragma once

#include "engine/BatchWork.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace OM::Norvatessa::ControllerSettings
{

// A site's backup on the lanes, as both programs make it: each controller's document, exactly as it came,
// to its file, written through a temporary file and a move, on the lane that read it.
class BackupSteps final : public BatchWork
{
public:
    // `fileOf` names a controller's file; it is called for several controllers at once. With `replace`
    // a file already there is replaced; without it, it is left as it is and the controller fails with
    // `existing` (%1 the file), the words of the program that asks.
    BackupSteps(std::function<std::wstring(std::uint32_t)> fileOf, bool replace, std::wstring existing);

    // A backup only reads: its read is the controller's last request.
    bool MayWrite() const override { return false; }

    // A backup already there may be the only copy of a site as it was: it is not read over by mistake.
    std::optional<std::wstring> Before(std::uint32_t address) override;
    AfterReading AfterRead(std::uint32_t address, const DevicePropertiesResult& read) override;

private:
    const std::function<std::wstring(std::uint32_t)> fileOf;
    const bool replace;
    const std::wstring existing;
};

} // namespace OM::Norvatessa::ControllerSettings
