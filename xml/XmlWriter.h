#pragma once

#include "xml/XmlDocument.h"

#include <string>

namespace OM::Xml
{

struct XmlWriteOptions
{
    // Each node on a new line, indented by one tab per level.
    bool indent = true;
    // Replace the table's characters by references in attribute values and element text.
    bool encodeEntities = true;
    // Written around attribute values.
    wchar_t quote = L'"';
    XmlEntityTable entities = defaultEntities();
    // The current indentation level; the writer changes it as it descends.
    int32_t depth = 0;
};

// Appends the text of `node` and its subtree to `out`.
void write(const XmlNode& node, XmlWriteOptions& options, std::wstring& out);

// The text of a whole document, without the line feeds that indentation puts before its first line.
std::wstring writeDocument(const XmlDocument& document, XmlWriteOptions options);

} // namespace OM::Xml
