#include "xml/XmlParser.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace OM::Xml;

namespace
{

// A parse over an exact-size copy of the text, without a terminating zero: a read past the end of the
// text is caught by AddressSanitizer in the native build.
struct Parsed
{
    XmlDocument document;
    std::vector<wchar_t> text;
    const wchar_t* result = nullptr;

    XmlParseInfo& info() { return document.parseInfo; }
    XmlNode* root() const { return document.rootElement(); }
    std::ptrdiff_t offsetOf(const wchar_t* position) const { return position - text.data(); }
    std::ptrdiff_t errorOffset() const { return offsetOf(document.parseInfo.errorPosition); }
};

std::unique_ptr<Parsed> parseText(std::wstring_view text, void (*configure)(XmlParseInfo&) = nullptr)
{
    auto parsed = std::make_unique<Parsed>();
    parsed->text.assign(text.begin(), text.end());
    if (configure)
        configure(parsed->document.parseInfo);
    parsed->result = parse(parsed->document, std::wstring_view(parsed->text.data(), parsed->text.size()));
    return parsed;
}

std::vector<XmlNodeKind> kinds(const XmlNode& node)
{
    std::vector<XmlNodeKind> result;
    for (const auto& child : node.children())
        result.push_back(child->kind);
    return result;
}

std::vector<std::wstring> names(const XmlNode& node)
{
    std::vector<std::wstring> result;
    for (const auto& child : node.children())
        result.push_back(child->name);
    return result;
}

} // namespace

TEST(XmlParser, ReadsDeclarationRootAndAnEmptyChild)
{
    auto parsed =
        parseText(L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n<config>\n\t<net ip=\"10.0.0.1\" "
                  L"name='Склад' />\n</config>");
    ASSERT_NE(parsed->result, nullptr);
    EXPECT_EQ(parsed->offsetOf(parsed->result), static_cast<std::ptrdiff_t>(parsed->text.size()));
    EXPECT_EQ(kinds(parsed->document), (std::vector{XmlNodeKind::Declaration, XmlNodeKind::Element}));

    const XmlNode& declaration = *parsed->document.children()[0];
    EXPECT_EQ(declaration.name, L"");
    ASSERT_EQ(declaration.attributes().size(), 2u);
    EXPECT_EQ(declaration.attributes()[0]->name, L"version");
    EXPECT_EQ(declaration.attributes()[0]->value, L"1.0");
    EXPECT_EQ(declaration.attributes()[1]->name, L"encoding");
    EXPECT_EQ(declaration.attributes()[1]->value, L"Windows-1251");

    const XmlNode& root = *parsed->root();
    EXPECT_EQ(root.name, L"config");
    ASSERT_EQ(names(root), (std::vector<std::wstring>{L"net"}));
    const XmlNode& net = *root.children()[0];
    EXPECT_EQ(net.findAttribute(L"ip")->value, L"10.0.0.1");
    EXPECT_EQ(net.findAttribute(L"name")->value, L"Склад");
    EXPECT_TRUE(net.children().empty());
    EXPECT_EQ(net.parent(), &root);
    EXPECT_EQ(net.document(), &parsed->document);
    // The blank text before the child is replaced by the blank text after it.
    EXPECT_EQ(root.value, L"\n");
    EXPECT_FALSE(parsed->info().errorSet);
}

TEST(XmlParser, RecordsEachErrorWithItsExactMessageAndPosition)
{
    struct Case
    {
        std::wstring text;
        int32_t code;
        std::wstring message;
        std::ptrdiff_t offset;
    };
    const std::vector<Case> cases = {
        {L"<?xml?><a><b></c></a>", XmlErrorMismatchedEndTag, L"'<b> ... </c>' is not wel-formed.", 17},
        {L"<?xml?><a/ >", XmlErrorElementNotClosed, L"Element must be closed.", 10},
        {L"<?xml?><a></a", XmlErrorEndTagNotClosed, L"it must be closed with </a>", 12},
        {L"<?xml?><a b", XmlErrorAttribute, L"<a> attribute has error ", 10},
        {L"<?xml?><Узел b", XmlErrorAttribute, L"<Узел> attribute has error ", 13},
    };
    for (const Case& expected : cases)
    {
        auto parsed = parseText(expected.text);
        SCOPED_TRACE(std::string(expected.text.begin(), expected.text.end()));
        EXPECT_EQ(parsed->result, nullptr);
        EXPECT_EQ(parsed->root(), nullptr);
        EXPECT_TRUE(parsed->info().errorSet);
        EXPECT_EQ(parsed->info().errorCode, expected.code);
        EXPECT_EQ(parsed->info().errorMessage, expected.message);
        EXPECT_EQ(parsed->errorOffset(), expected.offset);
        // The declaration read before the failure stays in the document.
        EXPECT_EQ(kinds(parsed->document), (std::vector{XmlNodeKind::Declaration}));
    }
}

TEST(XmlParser, KeepsOnlyTheFirstError)
{
    // The declaration's faulty attribute is recorded and does not stop the parse; the mismatched end tag
    // that follows fails the root without replacing the first error.
    auto parsed = parseText(L"<?xml bad?><a></b>");
    EXPECT_EQ(parsed->result, nullptr);
    EXPECT_EQ(parsed->info().errorCode, XmlErrorAttribute);
    EXPECT_EQ(parsed->info().errorMessage, L"<> attribute has error ");

    auto lenient =
        parseText(L"<?xml?><a><b>x</c></b></a>", [](XmlParseInfo& info) { info.lenientEndTags = true; });
    ASSERT_NE(lenient->root(), nullptr);
    EXPECT_EQ(names(*lenient->root()), (std::vector<std::wstring>{L"b"}));
    EXPECT_EQ(lenient->root()->children()[0]->value, L"x");
    EXPECT_FALSE(lenient->info().errorSet);
}

TEST(XmlParser, AcceptsARootThatIsNeverClosed)
{
    auto parsed = parseText(L"<?xml?><a>текст<b/><c x=\"1\">inner");
    ASSERT_NE(parsed->result, nullptr);
    EXPECT_EQ(parsed->offsetOf(parsed->result), static_cast<std::ptrdiff_t>(parsed->text.size()));
    const XmlNode& root = *parsed->root();
    EXPECT_EQ(root.value, L"текст");
    EXPECT_EQ(names(root), (std::vector<std::wstring>{L"b", L"c"}));
    EXPECT_EQ(root.children()[1]->value, L"inner");
}

TEST(XmlParser, ReadsBareQuotedUnquotedAndDuplicateAttributes)
{
    auto parsed = parseText(L"<?xml?><a bare other=\"2\" u=1 v=a\\ b w='it\"s' x=\"\\\"q\\\\\" u=3>");
    ASSERT_NE(parsed->root(), nullptr);
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    for (const auto& attribute : parsed->root()->attributes())
        attributes.emplace_back(attribute->name, attribute->value);
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"bare", L""},   {L"other", L"2"}, {L"u", L"1"}, {L"v", L"a b"},
        {L"w", L"it\"s"}, {L"x", L"\"q\\"}, {L"u", L"3"},
    };
    EXPECT_EQ(attributes, expected);
    EXPECT_EQ(parsed->root()->findAttribute(L"u")->value, L"1");
}

TEST(XmlParser, DecodesTableEntitiesOnceAndKeepsOthers)
{
    auto parsed = parseText(L"<?xml?><a x=\"a&amp;b\" y=\"&nbsp;&#65;\">a&amp;lt;b &gt; &copy;</a>");
    ASSERT_NE(parsed->root(), nullptr);
    EXPECT_EQ(parsed->root()->findAttribute(L"x")->value, L"a&b");
    EXPECT_EQ(parsed->root()->findAttribute(L"y")->value, L"&nbsp;&#65;");
    EXPECT_EQ(parsed->root()->value, L"a&lt;b > &copy;");

    auto raw =
        parseText(L"<?xml?><a x=\"a&amp;b\"/>", [](XmlParseInfo& info) { info.decodeEntities = false; });
    EXPECT_EQ(raw->root()->findAttribute(L"x")->value, L"a&amp;b");
}

TEST(XmlParser, TheEscapeCharacterOfTheSettingsIsTheOneThatCounts)
{
    auto caret = parseText(L"<?xml?><a x=\"1^\"2\" y=\"C:\\dir\">q^<r</a>",
                           [](XmlParseInfo& info) { info.escape = L'^'; });
    ASSERT_NE(caret->root(), nullptr);
    EXPECT_EQ(caret->root()->findAttribute(L"x")->value, L"1\"2");
    EXPECT_EQ(caret->root()->findAttribute(L"y")->value, L"C:\\dir");
    EXPECT_EQ(caret->root()->value, L"q<r");

    // Without an escape character a backslash is text like any other, also at the very end.
    auto none = parseText(L"<?xml?><a x=\"C:\\dir\\\">t\\", [](XmlParseInfo& info) { info.escape = 0; });
    ASSERT_NE(none->root(), nullptr);
    EXPECT_EQ(none->root()->findAttribute(L"x")->value, L"C:\\dir\\");
    EXPECT_EQ(none->root()->value, L"t\\");
}

TEST(XmlParser, TrimsOnlyTheSixWhiteSpaceCharacters)
{
    auto parsed = parseText(L"<?xml?><a x=\"\v\f\r 1\u00A0\t\n\">\u00A0</a>",
                            [](XmlParseInfo& info) { info.trimValues = true; });
    ASSERT_NE(parsed->root(), nullptr);
    EXPECT_EQ(parsed->root()->findAttribute(L"x")->value, L"1\u00A0");
    EXPECT_EQ(parsed->root()->value, L"\u00A0");
}

TEST(XmlParser, KeepsBlankTextUntilTheFirstRealTextAfterAChild)
{
    auto parsed = parseText(L"<?xml?><a>  <b/>text<c/>more</a>");
    ASSERT_NE(parsed->root(), nullptr);
    EXPECT_EQ(parsed->root()->value, L"text");
    EXPECT_EQ(names(*parsed->root()), (std::vector<std::wstring>{L"b", L"c"}));

    auto trimmed = parseText(L"<?xml?><a x=\" 1 \">  <b/>  text  </a>",
                             [](XmlParseInfo& info) { info.trimValues = true; });
    EXPECT_EQ(trimmed->root()->findAttribute(L"x")->value, L"1");
    EXPECT_EQ(trimmed->root()->value, L"text");
}

TEST(XmlParser, PutsCommentsAndCDataWhereTheyStand)
{
    auto parsed = parseText(L"<?xml?><!--before--><a><b/><!--inside--><![cdata[x<y]]><d/></a><!--after-->");
    ASSERT_NE(parsed->result, nullptr);
    EXPECT_EQ(names(parsed->document), (std::vector<std::wstring>{L"", L"#COMMENT", L"a", L"#COMMENT"}));
    EXPECT_EQ(parsed->document.children()[1]->value, L"before");
    EXPECT_EQ(parsed->document.children()[3]->value, L"after");

    const XmlNode& root = *parsed->root();
    EXPECT_EQ(names(root), (std::vector<std::wstring>{L"b", L"#COMMENT", L"#CDATA", L"d"}));
    EXPECT_EQ(kinds(root), (std::vector{XmlNodeKind::Element, XmlNodeKind::Comment, XmlNodeKind::CData,
                                        XmlNodeKind::Element}));
    EXPECT_EQ(root.children()[1]->value, L"inside");
    EXPECT_EQ(root.children()[2]->value, L"x<y");
    EXPECT_EQ(root.children()[1]->parent(), &root);
}

TEST(XmlParser, EndTagWithABlankEndsAtTheBlank)
{
    // The ">" after the blank is left over, and becomes text of the enclosing element.
    auto parsed = parseText(L"<?xml?><a><b>x</b >y</a>");
    ASSERT_NE(parsed->root(), nullptr);
    EXPECT_EQ(parsed->root()->value, L">y");
    EXPECT_EQ(parsed->root()->children()[0]->value, L"x");
}

TEST(XmlParser, SecondDeclarationGoesToTheDocument)
{
    auto parsed = parseText(L"<?xml version=\"1.0\"?><a><?xml-stylesheet href=\"s\"?><b/></a>");
    ASSERT_NE(parsed->root(), nullptr);
    EXPECT_EQ(kinds(parsed->document),
              (std::vector{XmlNodeKind::Declaration, XmlNodeKind::Declaration, XmlNodeKind::Element}));
    const XmlNode& second = *parsed->document.children()[1];
    EXPECT_EQ(second.name, L"-stylesheet");
    EXPECT_EQ(second.findAttribute(L"href")->value, L"s");
    EXPECT_EQ(names(*parsed->root()), (std::vector<std::wstring>{L"b"}));
}

TEST(XmlParser, LooksForTheStartTagAgainAfterADeclarationInsideAnElement)
{
    // The text between the declaration and the next start tag is skipped, as text between children is.
    auto parsed = parseText(L"<?xml?><r><?pi?>text<b/></r>");
    ASSERT_NE(parsed->root(), nullptr);
    EXPECT_EQ(names(*parsed->root()), (std::vector<std::wstring>{L"b"}));
    EXPECT_EQ(parsed->root()->value, L"");
    EXPECT_EQ(kinds(parsed->document),
              (std::vector{XmlNodeKind::Declaration, XmlNodeKind::Declaration, XmlNodeKind::Element}));
}

TEST(XmlParser, IgnoresWhatFollowsTheRootUnlessItIsMiscMarkup)
{
    for (const wchar_t* text : {L"<?xml?><r/><b a='x", L"<?xml?><r>t</r>\\", L"<?xml?><r/> trailing text"})
    {
        auto parsed = parseText(text);
        ASSERT_NE(parsed->root(), nullptr);
        EXPECT_EQ(parsed->root()->name, L"r");
        EXPECT_TRUE(parsed->root()->attributes().empty());
    }
}

TEST(XmlParser, TextWithoutDeclarationIsReadFromTheStart)
{
    auto parsed = parseText(L"<config a=\"1\"/>");
    ASSERT_NE(parsed->root(), nullptr);
    EXPECT_EQ(kinds(parsed->document), (std::vector{XmlNodeKind::Element}));
    EXPECT_EQ(parsed->root()->findAttribute(L"a")->value, L"1");

    auto indented = parseText(L" \r\n<?xml version=\"1.0\"?><config/>");
    EXPECT_EQ(kinds(indented->document), (std::vector{XmlNodeKind::Declaration, XmlNodeKind::Element}));
}

TEST(XmlParser, TextEndsAtItsFirstZeroCharacter)
{
    const std::wstring text(L"<?xml?><a>x\0</b>", 16);
    XmlDocument document;
    ASSERT_NE(parse(document, text), nullptr);
    EXPECT_EQ(document.rootElement()->value, L"x");
    EXPECT_FALSE(document.parseInfo.errorSet);
}

// Text that ends inside markup yields no tree, and no scan reads past its end.
TEST(XmlParser, TextCutOffInsideMarkupYieldsNoTree)
{
    const std::vector<std::wstring> cutOff = {
        L"<?xml version=\"1.0\"",
        L"<?xml?><a><!-- no end",
        L"<?xml?><a><![CDATA[x",
        L"<?xml?><a x=\"1",
        L"<?xml?><a x='1>",
        L"<?xml?><a>x\\",
        L"<?xml?><a x=y\\",
        L"<?xml?><a/><!-- after the root",
        L"<?xml?><a/><?xml",
        L"<?xml?><a><!-- \\",
        L"<?xml?><",
        L"<?xml?><a",
        L"<?xml?>",
        L"",
    };
    for (const std::wstring& text : cutOff)
    {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        auto parsed = parseText(text);
        EXPECT_EQ(parsed->result, nullptr);
        EXPECT_EQ(parsed->root(), nullptr);
    }
}

namespace
{

std::wstring nested(int depth)
{
    std::wstring text = L"<?xml?>";
    for (int level = 0; level < depth; ++level)
        text += L"<e>";
    for (int level = 0; level < depth; ++level)
        text += L"</e>";
    return text;
}

// Levels along the chain of first children, the node itself included.
int depthOf(const XmlNode* node)
{
    int depth = 0;
    for (; node; node = node->children().empty() ? nullptr : node->children()[0].get())
        ++depth;
    return depth;
}

} // namespace

TEST(XmlParser, AcceptsNestingUpToTheLimitAndRefusesDeeper)
{
    auto deepest = parseText(nested(XmlMaxNestingDepth));
    ASSERT_NE(deepest->result, nullptr);
    EXPECT_EQ(depthOf(deepest->root()), XmlMaxNestingDepth);
    EXPECT_FALSE(deepest->info().errorSet);

    auto tooDeep = parseText(nested(XmlMaxNestingDepth + 1));
    EXPECT_EQ(tooDeep->result, nullptr);
    EXPECT_EQ(tooDeep->root(), nullptr);
    EXPECT_EQ(tooDeep->info().errorCode, XmlErrorNestingTooDeep);
}

TEST(XmlParser, HostileNestingFailsInsteadOfOverflowingTheStack)
{
    auto parsed = parseText(nested(100000));
    EXPECT_EQ(parsed->result, nullptr);
    EXPECT_EQ(parsed->root(), nullptr);
    EXPECT_EQ(parsed->info().errorCode, XmlErrorNestingTooDeep);
}
