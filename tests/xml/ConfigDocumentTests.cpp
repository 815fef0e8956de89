#include "xml/ConfigDocument.h"

#include <gtest/gtest.h>

#include <random>

using namespace OM::Xml;

namespace
{

constexpr wchar_t declaration[] = L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n";

std::vector<std::wstring> keys(const ConfigNode::Map& map)
{
    std::vector<std::wstring> result;
    for (const auto& entry : map)
        result.push_back(entry.first);
    return result;
}

} // namespace

TEST(ConfigDocument, SavesAttributesSortedEachFollowedByABlank)
{
    ConfigDocument document(L"config");
    document.root.setAttribute(L"b", L"2");
    document.root.setAttribute(L"a", L"1");
    document.root.setAttribute(L"b", L"3");
    EXPECT_EQ(document.saveToString(), std::wstring(declaration) + L"<config a=\"1\" b=\"3\" />");
    EXPECT_EQ(document.rootName, L"config");
}

TEST(ConfigDocument, WritesValuesExactlyAsTheyAreHeld)
{
    ConfigDocument document(L"om");
    ConfigNode net(L"net");
    net.setAttribute(L"name", L"Lab \"7\" <east> & 'west'");
    document.root.addChild(net);
    EXPECT_EQ(document.saveToString(),
              std::wstring(declaration) + L"<om>\n\t<net name=\"Lab \"7\" <east> & 'west'\" />\n</om>");
}

TEST(ConfigDocument, ParamsAreWrittenAsParamLinesAndReadBack)
{
    ConfigDocument saved(L"config");
    saved.root.setParam(L"порт", L"2860");
    saved.root.setParam(L"p", L"x");
    ConfigNode child(L"net");
    child.setParam(L"q", L"y");
    saved.root.addChild(child);
    const std::wstring text = saved.saveToString();
    EXPECT_EQ(text, std::wstring(declaration) + L"<config>\n"
                                                L"\t<param name=\"p\" value=\"x\" />\n"
                                                L"\t<param name=\"порт\" value=\"2860\" />\n"
                                                L"\t<net>\n"
                                                L"\t\t<param name=\"q\" value=\"y\" />\n"
                                                L"\t</net>\n"
                                                L"</config>");

    ConfigDocument loaded(L"config");
    ASSERT_TRUE(loaded.loadFromString(text));
    EXPECT_EQ(loaded.root.params, saved.root.params);
    ASSERT_EQ(loaded.root.children.size(), 1u);
    EXPECT_EQ(loaded.root.children.front().params.at(L"q"), L"y");
    EXPECT_TRUE(loaded.root.children.front().children.empty());
}

TEST(ConfigDocument, LoadsChildrenInOrderAndOnlyWhatTheTreeCarries)
{
    ConfigDocument document(L"config");
    document.root.setAttribute(L"kept", L"1");
    ASSERT_TRUE(document.loadFromString(L"<?xml version=\"1.0\"?>\n"
                                        L"<om x=\"1\" x=\"2\" y=\"\">text\n"
                                        L"\t<net ip=\"10.0.0.1\"/>\n"
                                        L"\t<!-- comment -->\n"
                                        L"\t<net ip=\"10.0.0.2\"/>\n"
                                        L"\t<param name=\"only a name\"/>\n"
                                        L"\t<param value=\"only a value\"/>\n"
                                        L"\t<param value=\"v\" name=\"n\" name=\"second\"/>\n"
                                        L"</om>"));
    EXPECT_FALSE(document.isNew);
    const ConfigNode& root = document.root;
    EXPECT_EQ(root.name, L"om");
    // A later duplicate replaces an earlier one; entries the section held before stay.
    EXPECT_EQ(keys(root.attributes), (std::vector<std::wstring>{L"kept", L"x", L"y"}));
    EXPECT_EQ(*root.getAttribute(L"x"), L"2");
    ASSERT_NE(root.getAttribute(L"y"), nullptr);
    EXPECT_TRUE(root.getAttribute(L"y")->empty());
    EXPECT_EQ(root.getAttribute(L"z"), nullptr);
    EXPECT_EQ(keys(root.params), (std::vector<std::wstring>{L"n"}));

    std::vector<std::wstring> children;
    for (const ConfigNode& child : root.children)
        children.push_back(child.name);
    EXPECT_EQ(children, (std::vector<std::wstring>{L"net", L"#COMMENT", L"net"}));

    std::vector<const ConfigNode*> nets;
    nets.push_back(&root);
    EXPECT_EQ(root.findChildren(L"net", nets), 3u); // appends to what the list held
    EXPECT_EQ(*nets[1]->getAttribute(L"ip"), L"10.0.0.1");
    EXPECT_EQ(*nets[2]->getAttribute(L"ip"), L"10.0.0.2");
    EXPECT_EQ(root.findChildren(L"Net", nets), 3u);
}

TEST(ConfigDocument, LoadWithoutARootElementFails)
{
    ConfigDocument document(L"config");
    EXPECT_TRUE(document.isNew);
    EXPECT_FALSE(document.loadFromString(L"<?xml version=\"1.0\"?>"));
    EXPECT_FALSE(document.isNew);
    EXPECT_FALSE(document.loadFromString(L"<?xml?><a><b></c></a>"));
    EXPECT_EQ(document.root.name, L"config");
}

TEST(ConfigDocument, EveryLoadAndSaveStartsFromAnEmptyDocument)
{
    ConfigDocument document(L"config");
    ASSERT_TRUE(document.loadFromString(L"<?xml?><first a=\"1\"/>"));
    ASSERT_TRUE(document.loadFromString(L"<?xml?><second b=\"2\"/>"));
    EXPECT_EQ(document.root.name, L"second");

    const std::wstring once = document.saveToString();
    EXPECT_EQ(document.saveToString(), once);
}

TEST(ConfigDocument, SortsKeysByUtf16CodeUnitsInBothBuilds)
{
    ConfigNode node(L"n");
    // U+FF5E is one code unit, 0xFF5E; U+1F600 is the pair D83D DE00 and sorts before it.
    for (const wchar_t* key : {L"\uFF5E", L"\U0001F600", L"flag", L"Z", L"admin", L"ä", L"a"})
        node.setAttribute(key, L"");
    EXPECT_EQ(keys(node.attributes),
              (std::vector<std::wstring>{L"Z", L"a", L"admin", L"flag", L"ä", L"\U0001F600", L"\uFF5E"}));

    // Lone surrogates are held as they are in both builds, and sort by their units too: D800 DC01 is
    // U+10001 where wchar_t is one unit, and two lone halves natively, after U+10000 either way.
    const std::wstring halves{static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xDC01)};
    const std::wstring loneThenLetter{static_cast<wchar_t>(0xD800), L'A'};
    const Utf16Less less;
    EXPECT_TRUE(less(L"\U00010000", halves));
    EXPECT_FALSE(less(halves, L"\U00010000"));
    EXPECT_TRUE(less(loneThenLetter, L"\U00010000"));
    EXPECT_FALSE(less(halves, halves));
}

namespace
{

// Texts the document carries unchanged: no double quote (it ends the value), no escape character and no
// "&" (the reader would take them as markup).
std::wstring randomText(std::mt19937& random, size_t maxLength, bool allowEmpty)
{
    static const std::wstring alphabet = L"abcXYZ019 -_.:/'<>=?!Склад№ёЁ\U0001F600\t";
    std::uniform_int_distribution<size_t> length(allowEmpty ? 0 : 1, maxLength);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::wstring text;
    for (size_t count = length(random); count > 0; --count)
        text += alphabet[pick(random)];
    return text;
}

// Names must be tag and attribute names the reader can find again: no blank, "=", "/", ">", tab or line
// feed in them, and "param" is reserved.
std::wstring randomName(std::mt19937& random)
{
    static const std::wstring alphabet = L"abcdefXYZ_-.0123456789имяЁ";
    std::uniform_int_distribution<size_t> length(1, 8);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::wstring name;
    for (size_t count = length(random); count > 0; --count)
        name += alphabet[pick(random)];
    return name;
}

ConfigNode randomSection(std::mt19937& random, int depth)
{
    ConfigNode section(randomName(random));
    std::uniform_int_distribution<int> count(0, 4);
    for (int index = count(random); index > 0; --index)
        section.setAttribute(randomName(random), randomText(random, 12, true));
    for (int index = count(random); index > 0; --index)
        section.setParam(randomText(random, 8, true), randomText(random, 12, true));
    if (depth < 3)
    {
        for (int index = count(random); index > 0; --index)
            section.addChild(randomSection(random, depth + 1));
    }
    return section;
}

void expectSame(const ConfigNode& expected, const ConfigNode& actual)
{
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.attributes, expected.attributes);
    EXPECT_EQ(actual.params, expected.params);
    ASSERT_EQ(actual.children.size(), expected.children.size());
    auto child = actual.children.begin();
    for (const ConfigNode& expectedChild : expected.children)
        expectSame(expectedChild, *child++);
}

} // namespace

TEST(ConfigDocument, EverySavedTreeLoadsBackUnchanged)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 500; ++round)
    {
        ConfigDocument saved(L"config");
        saved.root = randomSection(random, 0);
        const std::wstring text = saved.saveToString();

        ConfigDocument loaded(L"config");
        ASSERT_TRUE(loaded.loadFromString(text)) << round;
        SCOPED_TRACE(round);
        expectSame(saved.root, loaded.root);
        if (HasFailure())
            break;
    }
}
