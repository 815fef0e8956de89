#pragma once

#include "common/PropertyResults.h"
#include "xml/DeviceProperties.h"

#include <cstdint>
#include <optional>
#include <string>

namespace OM::Norvatessa
{

// What a batch (engine/BatchRequest.h) does with each controller besides reading it: the poster's own
// steps, run on the lane that works on the controller. Lanes call them for several controllers at once,
// so what an implementation keeps between calls is either read only or guarded. What a step throws fails
// that controller alone, as a failure of the program.
class BatchWork
{
public:
    // What follows a controller's read.
    struct AfterReading
    {
        // The record to write to the controller (its marks say what changed); nothing when the batch only
        // reads it.
        std::optional<Xml::DeviceProperties> write;
        // Words that fail the controller instead, with nothing written: a backup file that could not be
        // written, say.
        std::wstring failure;
    };

    // Whether AfterRead may give a record to write: when it never does, the read is the controller's last
    // request, and its connection is closed after it.
    virtual bool MayWrite() const { return true; }
    // Before anything is sent to the controller: words that fail it without a request, or nothing.
    virtual std::optional<std::wstring> Before(std::uint32_t /*address*/) { return std::nullopt; }
    // Once the controller's settings are read.
    virtual AfterReading AfterRead(std::uint32_t /*address*/, const DevicePropertiesResult& /*read*/)
    {
        return {};
    }
    // Once the controller confirmed a write and was read again at `answersAt` (its new address after a
    // write that moved it): words that fail it when what it holds now is not what was written.
    virtual std::optional<std::wstring> AfterWrite(std::uint32_t /*answersAt*/,
                                                   const Xml::DeviceProperties& /*written*/,
                                                   const Xml::DeviceProperties& /*readBack*/)
    {
        return std::nullopt;
    }

protected:
    ~BatchWork() = default;
};

} // namespace OM::Norvatessa
