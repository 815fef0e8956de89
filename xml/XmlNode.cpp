#include "xml/XmlNode.h"

#include <algorithm>

namespace OM::Xml
{

XmlNode::XmlNode(XmlNodeKind kind, XmlNode* parent, XmlDocument* document)
    : kind(kind), parentNode(parent), owningDocument(document)
{
}

XmlNode::~XmlNode() = default;

std::unique_ptr<XmlNode> XmlNode::createElement(const wchar_t* elementName, const wchar_t* elementValue)
{
    auto node = std::make_unique<XmlNode>(XmlNodeKind::Element);
    node->name = elementName ? elementName : L"";
    node->value = elementValue ? elementValue : L"";
    return node;
}

XmlNode* XmlNode::appendChild(std::unique_ptr<XmlNode> node)
{
    if (!node)
        return nullptr;
    node->parentNode = this;
    node->owningDocument = owningDocument;
    childNodes.push_back(std::move(node));
    return childNodes.back().get();
}

XmlNode* XmlNode::addChild(const wchar_t* childName, const wchar_t* childValue)
{
    return appendChild(createElement(childName, childValue));
}

std::unique_ptr<XmlNode> XmlNode::removeChild(const XmlNode* child)
{
    const auto found = std::find_if(childNodes.begin(), childNodes.end(),
                                    [child](const auto& candidate) { return candidate.get() == child; });
    if (found == childNodes.end())
        return nullptr;
    std::unique_ptr<XmlNode> detached = std::move(*found);
    childNodes.erase(found);
    detached->parentNode = nullptr;
    detached->owningDocument = nullptr;
    return detached;
}

XmlAttribute* XmlNode::addAttribute(std::wstring attributeName, std::wstring attributeValue)
{
    attributeList.push_back(
        std::make_unique<XmlAttribute>(this, std::move(attributeName), std::move(attributeValue)));
    return attributeList.back().get();
}

XmlAttribute* XmlNode::findAttribute(std::wstring_view attributeName) const
{
    const auto found =
        std::find_if(attributeList.begin(), attributeList.end(),
                     [attributeName](const auto& attribute) { return attribute->name == attributeName; });
    return found == attributeList.end() ? nullptr : found->get();
}

XmlNode* XmlNode::rootElement() const
{
    const auto found = std::find_if(childNodes.begin(), childNodes.end(),
                                    [](const auto& child) { return child->kind == XmlNodeKind::Element; });
    return found == childNodes.end() ? nullptr : found->get();
}

std::vector<XmlNode*> XmlNode::childSnapshot() const
{
    std::vector<XmlNode*> snapshot;
    snapshot.reserve(childNodes.size());
    for (const auto& child : childNodes)
        snapshot.push_back(child.get());
    return snapshot;
}

void XmlNode::clear() noexcept
{
    childNodes.clear();
    attributeList.clear();
}

} // namespace OM::Xml
