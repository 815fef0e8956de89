#pragma once

#include <list>
#include <map>
#include <string>
#include <vector>

namespace OM::Xml
{

// Orders keys by their UTF-16 code units, the same in both builds: natively a character beyond the
// first plane is one wchar_t, and it sorts by the surrogate pair it is written as.
struct Utf16Less
{
    bool operator()(const std::wstring& left, const std::wstring& right) const noexcept;
};

// A named section of a configuration document: attributes, named parameters (written as "param" child
// elements) and child sections. Both maps keep their keys sorted, which is also the order in which they
// are written. Children keep insertion order; they are held by value, and the list keeps pointers to
// them valid while more are added.
class ConfigNode
{
public:
    using Map = std::map<std::wstring, std::wstring, Utf16Less>;

    explicit ConfigNode(std::wstring name = {}) : name(std::move(name)) {}

    // Setting an existing key replaces its value.
    void setAttribute(const std::wstring& key, const std::wstring& value) { attributes[key] = value; }
    void setParam(const std::wstring& key, const std::wstring& value) { params[key] = value; }
    // The value, or null when the key is absent (an empty value is an empty string, not null).
    const std::wstring* getAttribute(const std::wstring& key) const;
    // Appends a copy of `node`.
    void addChild(const ConfigNode& node) { children.push_back(node); }
    // Appends to `out` every child named `childName`, in order; returns the size of `out`.
    size_t findChildren(const std::wstring& childName, std::vector<const ConfigNode*>& out) const;

    std::wstring name;
    std::list<ConfigNode> children;
    Map params;
    Map attributes;
};

} // namespace OM::Xml
