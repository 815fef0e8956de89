#pragma once

#include "xml/ConfigNode.h"
#include "xml/XmlDocument.h"

#include <string>

namespace OM::Xml
{

// A configuration tree bound to an XML document, loaded from and saved to a UTF-16 string or file.
// Callers construct one, load or save once, and let it go; it shows no messages and reports failures
// by return values only.
class ConfigDocument
{
public:
    explicit ConfigDocument(std::wstring rootName) : root(std::move(rootName)) {}
    ConfigDocument(const ConfigDocument&) = delete;
    ConfigDocument& operator=(const ConfigDocument&) = delete;

    // The whole document, starting with its declaration; lines end in a line feed.
    std::wstring saveToString();
    // Writes the document as a UTF-16 file, whole or not at all; with replaceExtension the path's
    // extension becomes ".config" first. False when it cannot be written, and the file is then as it was.
    bool saveToFile(const std::wstring& path, bool replaceExtension);

    // True when the text held a root element; root then holds what the document said.
    bool loadFromString(const std::wstring& text);
    // True when the file existed, was read and held a root element. A file that does not exist is
    // created from the current root, and the load reports false.
    bool loadFromFile(const std::wstring& path, bool replaceExtension);

    // True until a load has parsed a text.
    bool isNew = true;
    // Filled from root.name at each save.
    std::wstring rootName;
    ConfigNode root;

private:
    void build();
    bool loadRoot();

    XmlDocument document;
};

// The path with its extension (if any) replaced by ".config".
std::wstring withConfigExtension(const std::wstring& path);

} // namespace OM::Xml
