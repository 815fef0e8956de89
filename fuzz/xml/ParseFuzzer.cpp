// Feeds arbitrary text to the parser, then writes whatever tree it built.
#include "FuzzText.h"

#include "xml/XmlParser.h"
#include "xml/XmlWriter.h"

#include <cstdlib>

using namespace OM::Xml;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring text = fuzzText(data, size);
    XmlDocument document;
    const wchar_t* const end = parse(document, text);

    // A result lies inside the text, and there is one exactly when the document got a root element.
    if (end && (end < text.data() || end > text.data() + text.size()))
        std::abort();
    if ((end != nullptr) != (document.rootElement() != nullptr))
        std::abort();
    const XmlParseInfo& info = document.parseInfo;
    if (info.errorSet && (info.errorPosition < text.data() || info.errorPosition > text.data() + text.size()))
        std::abort();

    writeDocument(document, XmlWriteOptions());
    return 0;
}
