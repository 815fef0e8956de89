#include "xml/ConfigNode.h"

#include <algorithm>

namespace OM::Xml
{

namespace
{

// The UTF-16 code units of a character, the first in the high half.
uint32_t utf16Units(wchar_t character)
{
    auto value = static_cast<uint32_t>(character);
    if (value <= 0xFFFF || value > 0x10FFFF)
        return value << 16;
    value -= 0x10000;
    return (0xD800 + (value >> 10)) << 16 | (0xDC00 + (value & 0x3FF));
}

} // namespace

bool Utf16Less::operator()(const std::wstring& left, const std::wstring& right) const noexcept
{
    const auto [leftDiffers, rightDiffers] =
        std::mismatch(left.begin(), left.end(), right.begin(), right.end());
    if (rightDiffers == right.end())
        return false;
    if (leftDiffers == left.end())
        return true;
    return utf16Units(*leftDiffers) < utf16Units(*rightDiffers);
}

const std::wstring* ConfigNode::getAttribute(const std::wstring& key) const
{
    const auto found = attributes.find(key);
    return found == attributes.end() ? nullptr : &found->second;
}

size_t ConfigNode::findChildren(const std::wstring& childName, std::vector<const ConfigNode*>& out) const
{
    for (const ConfigNode& child : children)
    {
        if (child.name == childName)
            out.push_back(&child);
    }
    return out.size();
}

} // namespace OM::Xml
