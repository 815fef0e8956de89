#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace OM::Xml
{

// One row of an entity table: a character and the reference that stands for it in XML text.
struct XmlEntity
{
    wchar_t character;
    wchar_t reference[11]; // with its terminating zero
    int32_t length;        // characters in reference
};

using XmlEntityTable = std::span<const XmlEntity>;

// The program-wide table, shared by the reader and the writer: & " ' < >, in that order.
XmlEntityTable defaultEntities() noexcept;

// True when the character opens some reference of the table.
bool startsReference(wchar_t character, XmlEntityTable entities);

// Replaces every reference of the table by its character, in one pass from left to right: a&amp;lt;b
// becomes a&lt;b. References that are not in the table, numeric ones included, stay as written.
std::wstring decode(std::wstring_view text, XmlEntityTable entities);

// Replaces every character of the table by its reference.
std::wstring encode(std::wstring_view text, XmlEntityTable entities);

} // namespace OM::Xml
