#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Xml
{

class XmlDocument;
class XmlNode;

enum class XmlNodeKind : int32_t
{
    Element = 0,     // name: the tag; value: the text content
    Declaration = 1, // name: what follows "<?xml" up to a blank, "?" or ">"
    Comment = 2,     // name "#COMMENT"; value: the comment text
    CData = 3,       // name "#CDATA"; value: the section's text
    Document = 4,
};

class XmlAttribute
{
public:
    XmlAttribute(XmlNode* owner, std::wstring name, std::wstring value)
        : name(std::move(name)), value(std::move(value)), owner(owner)
    {
    }

    std::wstring name;
    std::wstring value;
    XmlNode* owner;
};

// A node of the document tree. It owns its children and its attributes: destroying or clearing it
// destroys the whole subtree below it. Children and attributes keep insertion order, which is document
// order and output order; attributes of the same name are all kept.
class XmlNode
{
public:
    using Children = std::vector<std::unique_ptr<XmlNode>>;
    using Attributes = std::vector<std::unique_ptr<XmlAttribute>>;

    // A node that is not attached yet but knows where it will live: the parser needs a node's parent
    // and document before it decides whether to attach the node at all.
    explicit XmlNode(XmlNodeKind kind = XmlNodeKind::Element, XmlNode* parent = nullptr,
                     XmlDocument* document = nullptr);
    virtual ~XmlNode();
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;

    // A new detached element; a null name or value gives an empty string. The caller owns it.
    static std::unique_ptr<XmlNode> createElement(const wchar_t* elementName, const wchar_t* elementValue);

    // Attaches `node` as the last child and returns it; null does nothing and returns null.
    XmlNode* appendChild(std::unique_ptr<XmlNode> node);
    XmlNode* addChild(const wchar_t* childName, const wchar_t* childValue);
    // Detaches `child` and hands it to the caller; null when it is not a child of this node.
    std::unique_ptr<XmlNode> removeChild(const XmlNode* child);
    // Appends an attribute without looking for an existing one of that name.
    XmlAttribute* addAttribute(std::wstring attributeName, std::wstring attributeValue);
    // The first attribute of exactly that name, or null.
    XmlAttribute* findAttribute(std::wstring_view attributeName) const;
    // The first child that is an element, or null.
    XmlNode* rootElement() const;

    const Children& children() const noexcept { return childNodes; }
    const Attributes& attributes() const noexcept { return attributeList; }
    // A copy of the child sequence, for walking while the tree changes.
    std::vector<XmlNode*> childSnapshot() const;

    // Destroys every child and attribute; name, value, kind, parent and document stay.
    void clear() noexcept;

    XmlNode* parent() const noexcept { return parentNode; }
    XmlDocument* document() const noexcept { return owningDocument; }

    std::wstring name;
    std::wstring value;
    XmlNodeKind kind;

protected:
    void setDocument(XmlDocument* document) noexcept { owningDocument = document; }

private:
    XmlNode* parentNode;
    Children childNodes;
    Attributes attributeList;
    XmlDocument* owningDocument;
};

} // namespace OM::Xml
