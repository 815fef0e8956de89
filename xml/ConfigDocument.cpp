#include "xml/ConfigDocument.h"

#include "xml/Utf16File.h"
#include "xml/XmlParser.h"
#include "xml/XmlWriter.h"

namespace OM::Xml
{

namespace
{

// Values are written exactly as they are held, without entity references.
XmlWriteOptions saveOptions()
{
    XmlWriteOptions options;
    options.indent = true;
    options.encodeEntities = false;
    return options;
}

void storeSection(const ConfigNode& section, XmlNode& element)
{
    for (const auto& [key, value] : section.attributes)
        element.addAttribute(key, value);
    for (const auto& [key, value] : section.params)
    {
        XmlNode* param = element.addChild(L"param", nullptr);
        param->addAttribute(L"name", key);
        param->addAttribute(L"value", value);
    }
    for (const ConfigNode& child : section.children)
        storeSection(child, *element.addChild(child.name.c_str(), nullptr));
}

// Attributes and "param" children become the section's maps (a later duplicate wins); every other
// child, whatever its kind, becomes a child section. Text content is not carried over.
void loadSection(ConfigNode& section, const XmlNode& element)
{
    section.name = element.name;
    for (const auto& attribute : element.attributes())
        section.attributes[attribute->name] = attribute->value;
    for (const XmlNode* child : element.childSnapshot())
    {
        if (child->name == L"param")
        {
            const XmlAttribute* name = child->findAttribute(L"name");
            const XmlAttribute* value = child->findAttribute(L"value");
            if (name && value)
                section.params[name->value] = value->value;
            continue;
        }
        section.children.emplace_back(L"_null_");
        loadSection(section.children.back(), *child);
    }
}

} // namespace

std::wstring withConfigExtension(const std::wstring& path)
{
    const size_t nameStart = path.find_last_of(L"\\/:");
    const size_t dot = path.find_last_of(L'.');
    const bool hasExtension =
        dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart);
    return (hasExtension ? path.substr(0, dot) : path) + L".config";
}

// Builds on an emptied document, so that a second save of the same object writes the same text.
void ConfigDocument::build()
{
    document.clear();
    rootName = root.name;
    XmlNode* declaration = document.appendChild(std::make_unique<XmlNode>(XmlNodeKind::Declaration));
    declaration->name = L"xml";
    declaration->addAttribute(L"version", L"1.0");
    declaration->addAttribute(L"encoding", L"Windows-1251");
    storeSection(root, *document.addChild(rootName.c_str(), nullptr));
}

std::wstring ConfigDocument::saveToString()
{
    build();
    return writeDocument(document, saveOptions());
}

bool ConfigDocument::saveToFile(const std::wstring& path, bool replaceExtension)
{
    const std::wstring file = replaceExtension ? withConfigExtension(path) : path;
    return writeUtf16File(file, saveToString());
}

// The document is emptied first: a second load must not find the root element of the first.
bool ConfigDocument::loadFromString(const std::wstring& text)
{
    document.clear();
    parse(document, text);
    isNew = false;
    return loadRoot();
}

bool ConfigDocument::loadFromFile(const std::wstring& path, bool replaceExtension)
{
    const std::wstring file = replaceExtension ? withConfigExtension(path) : path;
    std::wstring text;
    switch (readUtf16File(file, text))
    {
    case TextFileStatus::Read:
        return loadFromString(text);
    case TextFileStatus::Missing:
        // Created where it was looked for, so that it can be found and edited by hand.
        saveToFile(file, false);
        return false;
    case TextFileStatus::Unreadable:
    case TextFileStatus::NotUtf16:
        break;
    }
    return false;
}

bool ConfigDocument::loadRoot()
{
    const XmlNode* element = document.rootElement();
    if (!element)
        return false;
    loadSection(root, *element);
    return true;
}

} // namespace OM::Xml
