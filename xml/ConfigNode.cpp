#include "xml/ConfigNode.h"

#include <algorithm>

namespace OM::Xml
{

namespace
{

// Walks a text as UTF-16 code units: natively a character beyond the first plane is one wchar_t, and it
// yields the two units of its surrogate pair.
class Utf16Units
{
public:
    explicit Utf16Units(const std::wstring& text) : text(text) {}

    bool atEnd() const { return at == text.size(); }

    uint32_t next()
    {
        const auto value = static_cast<uint32_t>(text[at]);
        if (value <= 0xFFFF || value > 0x10FFFF)
        {
            ++at;
            return value;
        }
        const uint32_t offset = value - 0x10000;
        if (!secondHalf)
        {
            secondHalf = true;
            return 0xD800 + (offset >> 10);
        }
        secondHalf = false;
        ++at;
        return 0xDC00 + (offset & 0x3FF);
    }

private:
    const std::wstring& text;
    size_t at = 0;
    bool secondHalf = false;
};

} // namespace

bool Utf16Less::operator()(const std::wstring& left, const std::wstring& right) const noexcept
{
    Utf16Units leftUnits(left);
    Utf16Units rightUnits(right);
    while (!leftUnits.atEnd() && !rightUnits.atEnd())
    {
        const uint32_t leftUnit = leftUnits.next();
        const uint32_t rightUnit = rightUnits.next();
        if (leftUnit != rightUnit)
            return leftUnit < rightUnit;
    }
    return leftUnits.atEnd() && !rightUnits.atEnd();
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
