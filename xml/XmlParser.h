#pragma once

#include "xml/XmlDocument.h"

#include <string_view>

namespace OM::Xml
{

// Error codes recorded in XmlParseInfo::errorCode (the first error of a document only).
enum XmlParseError : int32_t
{
    XmlErrorNone = 0,
    XmlErrorElementNotClosed = 1, // "/" or "?" at the end of a start tag without ">"
    XmlErrorEndTagNotClosed = 2,  // an end tag's name runs to the end of the text
    XmlErrorMismatchedEndTag = 3, // an end tag names another element
    XmlErrorAttribute = 4,        // an attribute name runs to the end of the text
    XmlErrorNestingTooDeep = 5,   // elements nested deeper than XmlMaxNestingDepth
};

// The deepest element nesting that parse accepts; the root element is at depth 1. The parser descends
// one call per level, and the controllers' answers come from the network: without a limit a document
// of a hundred thousand nested elements would overflow the worker's stack. The program's own documents
// are two levels deep.
inline constexpr int XmlMaxNestingDepth = 256;

// Reads `text` into `document`, which is not cleared first. The text ends at its first zero character,
// if it has one. `info` steers the parse and receives the first error; null means the document's own.
//
// Returns the position just after what was read, or null when the root element failed; on success the
// document's rootElement() is not null. A text that ends inside markup the parser reads (a declaration,
// comment or CDATA section without its closing sequence, an attribute value without its closing quote, a
// lone escape character at the very end) yields null and no root element. After the root only
// declarations, comments and CDATA sections are read; anything else there is ignored, cut off or not. A
// text that does not open with "<?" has no declaration, and its root element is read from the start.
const wchar_t* parse(XmlDocument& document, std::wstring_view text, XmlParseInfo* info = nullptr);

} // namespace OM::Xml
