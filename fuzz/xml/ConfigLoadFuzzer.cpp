// Loads arbitrary input as a configuration document: as the bytes of a settings file when it opens with
// the UTF-16 byte-order mark, otherwise as text. Whatever loaded is saved; when every name and value of
// the tree is one the document carries unchanged, loading that text again and saving it must give the
// very same text.
#include "FuzzText.h"

#include "xml/ConfigDocument.h"
#include "xml/DeviceProperties.h"
#include "xml/Utf16File.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

using namespace OM::Xml;

namespace
{

// A name that the writer puts into a tag or attribute and the reader finds again as it was.
bool plainName(const std::wstring& name)
{
    return !name.empty() && name != L"param" && std::all_of(name.begin(), name.end(), [](wchar_t c) {
        return c > 0x7F || (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
               c == L'_' || c == L'.' || c == L'-' || c == L'#';
    });
}

// Values are quoted: the same rule as for a controller's texts.
bool plainValue(const std::wstring& value)
{
    return canCarryText(PropertyText::Name, value);
}

bool plainTree(const ConfigNode& node)
{
    return plainName(node.name) &&
           std::all_of(
               node.attributes.begin(), node.attributes.end(),
               [](const auto& entry) { return plainName(entry.first) && plainValue(entry.second); }) &&
           std::all_of(
               node.params.begin(), node.params.end(),
               [](const auto& entry) { return plainValue(entry.first) && plainValue(entry.second); }) &&
           std::all_of(node.children.begin(), node.children.end(), plainTree);
}

} // namespace

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
    const std::wstring saved = document.saveToString();
    if (!loaded || !plainTree(document.root))
        return 0;

    ConfigDocument again(L"config");
    if (!again.loadFromString(saved) || again.saveToString() != saved)
        std::abort();
    return 0;
}
