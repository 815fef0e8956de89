#pragma once

#include "xml/XmlEntities.h"
#include "xml/XmlNode.h"

namespace OM::Xml
{

// What steers the parser, and the first error it met.
struct XmlParseInfo
{
    // Trim white space from both ends of attribute values and text content before storing them.
    bool trimValues = false;
    // Replace the table's references in attribute values and text content.
    bool decodeEntities = true;
    // Not read by the parser; kept so that the record lines up with XmlWriteOptions.
    wchar_t quote = L'"';
    XmlEntityTable entities = defaultEntities();
    // The parser drops this character from stored values and takes the one after it literally; inside a
    // value it also keeps the next character from ending the value. Zero turns escaping off.
    wchar_t escape = L'\\';
    // Skip an end tag whose name differs from the open element instead of failing.
    bool lenientEndTags = false;

    // The first error only: once errorSet is true, later errors change nothing.
    bool errorSet = false;
    const wchar_t* errorPosition = nullptr; // into the parsed text
    int32_t errorCode = 0;
    std::wstring errorMessage;
};

// The root of a tree: a node of kind Document that belongs to itself, with its own parse settings.
class XmlDocument : public XmlNode
{
public:
    XmlDocument() : XmlNode(XmlNodeKind::Document) { setDocument(this); }

    XmlParseInfo parseInfo;
};

} // namespace OM::Xml
