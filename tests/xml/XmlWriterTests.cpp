#include "xml/XmlParser.h"
#include "xml/XmlWriter.h"

#include <gtest/gtest.h>

using namespace OM::Xml;

namespace
{

XmlNode& declare(XmlDocument& document)
{
    XmlNode& declaration = *document.appendChild(std::make_unique<XmlNode>(XmlNodeKind::Declaration));
    declaration.name = L"xml";
    declaration.addAttribute(L"version", L"1.0");
    return declaration;
}

XmlNode& special(XmlNode& parent, XmlNodeKind kind, const wchar_t* value)
{
    auto node = std::make_unique<XmlNode>(kind);
    node->value = value;
    return *parent.appendChild(std::move(node));
}

} // namespace

TEST(XmlWriter, IndentsByTabsAndEndsEveryAttributeWithABlank)
{
    XmlDocument document;
    declare(document);
    XmlNode& root = *document.addChild(L"om", nullptr);
    XmlNode& net = *root.addChild(L"net", nullptr);
    net.addAttribute(L"ip", L"10.0.0.1");
    net.addAttribute(L"name", L"Склад");
    XmlNode& sensors = *root.addChild(L"sensors", L"8");
    sensors.addChild(L"s", nullptr);
    special(root, XmlNodeKind::Comment, L" a<b ");
    special(root, XmlNodeKind::CData, L"x&y");
    root.addChild(L"empty", nullptr);

    EXPECT_EQ(writeDocument(document, XmlWriteOptions()), L"<?xml version=\"1.0\" ?>\n"
                                                          L"<om>\n"
                                                          L"\t<net ip=\"10.0.0.1\" name=\"Склад\" />\n"
                                                          L"\t<sensors>\n"
                                                          L"\t\t<s/>\n"
                                                          L"\t\t8\n"
                                                          L"\t</sensors>\n"
                                                          L"\t<!-- a<b -->\n"
                                                          L"\t<![CDATA[x&y]]>\n"
                                                          L"\t<empty/>\n"
                                                          L"</om>");
}

TEST(XmlWriter, EncodesValuesButNotCommentsWhenAsked)
{
    XmlDocument document;
    XmlNode& root = *document.addChild(L"a", L"1 < 2 & \"3\"");
    root.addAttribute(L"q", L"it's \"x\" <y>");
    special(root, XmlNodeKind::Comment, L"<&>");

    XmlWriteOptions options;
    options.indent = false;
    EXPECT_EQ(writeDocument(document, options),
              L"<a q=\"it&apos;s &quot;x&quot; &lt;y&gt;\" ><!--<&>-->1 &lt; 2 &amp; &quot;3&quot;</a>");

    options.encodeEntities = false;
    options.quote = L'\'';
    EXPECT_EQ(writeDocument(document, options), L"<a q='it's \"x\" <y>' ><!--<&>-->1 < 2 & \"3\"</a>");
}

TEST(XmlWriter, WritesAnEmptyRootOnOneLineAndAValueWithoutIndentation)
{
    XmlDocument document;
    declare(document);
    document.addChild(L"config", nullptr);
    EXPECT_EQ(writeDocument(document, XmlWriteOptions()), L"<?xml version=\"1.0\" ?>\n<config/>");

    XmlDocument texts;
    texts.addChild(L"a", L"текст");
    EXPECT_EQ(writeDocument(texts, XmlWriteOptions()), L"<a>текст</a>");
}

TEST(XmlWriter, WritesAParsedTreeBackLineForLine)
{
    const std::wstring body = L"<config a=\"1\" b=\"Склад №3\" >\n"
                              L"\t<param name=\"p\" value=\"x\" />\n"
                              L"\t<net>\n"
                              L"\t\t<!--note-->\n"
                              L"\t</net>\n"
                              L"</config>";
    XmlDocument document;
    ASSERT_NE(parse(document, L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n" + body), nullptr);
    // The blank text between lines is kept as element values; written back it would add lines.
    XmlNode& root = *document.rootElement();
    root.value.clear();
    for (const auto& child : root.children())
        child->value.clear();
    XmlWriteOptions options;
    options.encodeEntities = false;
    // The parser keeps what follows "<?xml" as the declaration's name, so a parsed declaration comes
    // back without "xml"; saved documents build a declaration of their own.
    EXPECT_EQ(writeDocument(document, options), L"<? version=\"1.0\" encoding=\"Windows-1251\" ?>\n" + body);
}
