#include "xml/XmlDocument.h"
#include "xml/XmlEntities.h"

#include <gtest/gtest.h>

using namespace OM::Xml;

TEST(XmlNode, FindAttributeReturnsTheFirstOfTwoWithTheSameName)
{
    XmlNode node;
    XmlAttribute* first = node.addAttribute(L"name", L"первый");
    node.addAttribute(L"name", L"второй");
    EXPECT_EQ(node.attributes().size(), 2u);
    EXPECT_EQ(node.findAttribute(L"name"), first);
    EXPECT_EQ(first->owner, &node);
    EXPECT_EQ(node.findAttribute(L"Name"), nullptr); // names compare case-sensitively
}

TEST(XmlNode, RootElementIsTheFirstElementChild)
{
    XmlDocument document;
    EXPECT_EQ(document.rootElement(), nullptr);
    XmlNode* declaration = document.appendChild(std::make_unique<XmlNode>(XmlNodeKind::Declaration));
    EXPECT_EQ(document.rootElement(), nullptr);
    XmlNode* root = document.addChild(L"config", nullptr);
    document.addChild(L"second", nullptr);
    EXPECT_EQ(document.rootElement(), root);
    EXPECT_EQ(document.children().front().get(), declaration);
    EXPECT_EQ(root->parent(), &document);
    EXPECT_EQ(root->document(), &document);
    EXPECT_EQ(document.document(), &document);
}

TEST(XmlNode, ClearDestroysTheSubtreeButKeepsNameAndValue)
{
    XmlDocument document;
    XmlNode* element = document.addChild(L"net", L"текст");
    element->addChild(L"child", nullptr)->addChild(L"grandchild", nullptr);
    element->addAttribute(L"ip", L"10.0.0.1");
    element->clear();
    EXPECT_TRUE(element->children().empty());
    EXPECT_TRUE(element->attributes().empty());
    EXPECT_EQ(element->name, L"net");
    EXPECT_EQ(element->value, L"текст");
    EXPECT_EQ(element->parent(), &document);
}

TEST(XmlNode, CreateAndAppendAcceptNulls)
{
    auto element = XmlNode::createElement(nullptr, nullptr);
    EXPECT_TRUE(element->name.empty());
    EXPECT_TRUE(element->value.empty());
    EXPECT_EQ(element->parent(), nullptr);
    EXPECT_EQ(element->document(), nullptr);
    XmlNode parent;
    EXPECT_EQ(parent.appendChild(nullptr), nullptr);
    EXPECT_TRUE(parent.children().empty());
}

TEST(XmlNode, RemoveChildDetachesOnlyOwnChildren)
{
    XmlDocument document;
    XmlNode* root = document.addChild(L"a", nullptr);
    XmlNode* grandchild = root->addChild(L"b", nullptr);
    EXPECT_EQ(document.removeChild(grandchild), nullptr);
    std::unique_ptr<XmlNode> detached = document.removeChild(root);
    ASSERT_EQ(detached.get(), root);
    EXPECT_EQ(detached->parent(), nullptr);
    EXPECT_EQ(document.rootElement(), nullptr);
    EXPECT_EQ(detached->children().front().get(), grandchild);
}

TEST(XmlEntities, DecodingIsASinglePassAndLeavesUnknownReferences)
{
    const XmlEntityTable table = defaultEntities();
    EXPECT_EQ(decode(L"a&amp;lt;b", table), L"a&lt;b");
    EXPECT_EQ(decode(L"&lt;&gt;&amp;&quot;&apos;", table), L"<>&\"'");
    EXPECT_EQ(decode(L"&#65; &nbsp; &AMP; &amp", table), L"&#65; &nbsp; &AMP; &amp");
    EXPECT_EQ(decode(L"Склад &lt;3&gt;", table), L"Склад <3>");
}

TEST(XmlEntities, EncodingReplacesEachSpecialCharacter)
{
    const XmlEntityTable table = defaultEntities();
    EXPECT_EQ(encode(L"a<b&\"c\"", table), L"a&lt;b&amp;&quot;c&quot;");
    EXPECT_EQ(encode(L"it's > 2", table), L"it&apos;s &gt; 2");
    EXPECT_EQ(encode(L"Обычный текст", table), L"Обычный текст");
    EXPECT_EQ(decode(encode(L"<&>\"'&amp;", table), table), L"<&>\"'&amp;");
}
