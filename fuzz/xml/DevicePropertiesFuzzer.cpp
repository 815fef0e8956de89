// Reads arbitrary text as a controller's answer. Whatever record comes out is written and read again:
// when the document can carry its texts, the second read must give the same record.
#include "FuzzText.h"

#include "xml/DeviceProperties.h"

#include <cstdlib>

using namespace OM::Xml;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DeviceProperties props;
    if (!readDeviceProperties(fuzzText(data, size), props))
        return 0;

    DeviceProperties back;
    const bool read = readDeviceProperties(writeDeviceProperties(props), back);
    if (canCarryTexts(props))
    {
        back.changed = props.changed;
        if (!read || !(back == props))
            std::abort();
    }
    return 0;
}
