// Loads arbitrary input as a configuration document: as the bytes of a settings file when it opens with
// the UTF-16 byte-order mark, otherwise as text. What loaded is saved again.
#include "FuzzText.h"

#include "xml/ConfigDocument.h"
#include "xml/Utf16File.h"

#include <cstdlib>
#include <string_view>

using namespace OM::Xml;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring text;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE)
    {
        const auto decoded = decodeUtf16Text(std::string_view(reinterpret_cast<const char*>(data), size));
        if (!decoded)
            return 0;
        text = *decoded;
    }
    else
    {
        text = fuzzText(data, size);
    }

    ConfigDocument document(L"config");
    const bool loaded = document.loadFromString(text);
    if (loaded && document.isNew)
        std::abort();
    document.saveToString();
    return 0;
}
