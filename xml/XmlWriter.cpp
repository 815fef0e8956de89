#include "xml/XmlWriter.h"

namespace OM::Xml
{

namespace
{

void newLine(int32_t depth, std::wstring& out)
{
    out += L'\n';
    out.append(static_cast<size_t>(depth > 0 ? depth : 0), L'\t');
}

void writeText(const std::wstring& text, const XmlWriteOptions& options, std::wstring& out)
{
    if (options.encodeEntities && !options.entities.empty())
        out += encode(text, options.entities);
    else
        out += text;
}

// Every attribute, the last one included, is followed by a blank.
void writeAttributes(const XmlNode& node, const XmlWriteOptions& options, std::wstring& out)
{
    if (!node.attributes().empty())
        out += L' ';
    for (const auto& attribute : node.attributes())
    {
        out += attribute->name;
        out += L'=';
        out += options.quote;
        writeText(attribute->value, options, out);
        out += options.quote;
        out += L' ';
    }
}

void writeElement(const XmlNode& node, XmlWriteOptions& options, std::wstring& out)
{
    out += L'<';
    out += node.name;
    writeAttributes(node, options, out);
    const bool hasChildren = !node.children().empty();
    if (!hasChildren && node.value.empty())
    {
        out += L"/>";
        return;
    }
    out += L'>';
    const bool nested = options.indent && hasChildren;
    if (nested)
        ++options.depth;
    for (const auto& child : node.children())
        write(*child, options, out);
    if (!node.value.empty())
    {
        if (nested)
            newLine(options.depth, out);
        writeText(node.value, options, out);
    }
    if (nested)
        newLine(options.depth - 1, out);
    out += L"</";
    out += node.name;
    out += L'>';
    if (nested)
        --options.depth;
}

} // namespace

void write(const XmlNode& node, XmlWriteOptions& options, std::wstring& out)
{
    if (options.indent)
        newLine(options.depth, out);
    switch (node.kind)
    {
    case XmlNodeKind::Document:
        for (const auto& child : node.children())
            write(*child, options, out);
        break;
    case XmlNodeKind::Declaration:
        out += L"<?";
        out += node.name;
        writeAttributes(node, options, out);
        out += L"?>";
        break;
    case XmlNodeKind::Comment:
        out.append(L"<!--").append(node.value).append(L"-->");
        break;
    case XmlNodeKind::CData:
        out.append(L"<![CDATA[").append(node.value).append(L"]]>");
        break;
    case XmlNodeKind::Element:
        writeElement(node, options, out);
        break;
    }
}

std::wstring writeDocument(const XmlDocument& document, XmlWriteOptions options)
{
    std::wstring out;
    write(document, options, out);
    out.erase(0, out.find_first_not_of(L'\n'));
    return out;
}

} // namespace OM::Xml
