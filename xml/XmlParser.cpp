#include "xml/XmlParser.h"

#include "xml/WhiteSpace.h"

#include <algorithm>

// A pointer-walking recursive descent parser over the subset of XML that the program and the controllers
// write: one declaration, one root element, nested elements with attributes, text, comments and CDATA
// sections. It is tolerant where the controllers are sloppy (unknown entity references stay as written,
// elements left open at the end of the text are accepted) and strict about mismatched end tags.
//
// Every scan is bounded by the end of the text, and every step that needs a closing sequence fails when
// the text ends first, so no input makes the parser read past the end.

namespace OM::Xml
{

namespace
{

wchar_t lowerAscii(wchar_t character)
{
    return character >= L'A' && character <= L'Z' ? static_cast<wchar_t>(character + (L'a' - L'A'))
                                                  : character;
}

bool isBlankText(const std::wstring& text)
{
    return std::all_of(text.begin(), text.end(), isWhiteSpace);
}

// A tag name ends at a blank, "/", ">", tab or line feed; a carriage return does not end it.
bool endsTagName(wchar_t character)
{
    return character == L' ' || character == L'/' || character == L'>' || character == L'\t' ||
           character == L'\n';
}

// Comments and CDATA sections: markup whose text is kept as it stands, in a node of its own.
struct SpecialMarkup
{
    std::wstring_view opening;
    std::wstring_view closing;
    XmlNodeKind kind;
    const wchar_t* name;
};

constexpr SpecialMarkup specialMarkups[] = {
    {L"<!--", L"-->", XmlNodeKind::Comment, L"#COMMENT"},
    {L"<![CDATA[", L"]]>", XmlNodeKind::CData, L"#CDATA"},
};

class Parser
{
public:
    Parser(XmlDocument& document, const wchar_t* begin, const wchar_t* end, XmlParseInfo& info)
        : document(document), begin(begin), end(end), info(info)
    {
    }

    const wchar_t* parseDocument();

private:
    const wchar_t* declarationStep(const wchar_t* position);
    const wchar_t* miscStep(const wchar_t* position, XmlNode& context, bool& handedToElement);
    const wchar_t* specialNode(const wchar_t* position, const SpecialMarkup& markup, XmlNode& context);
    const wchar_t* elementStep(XmlNode& node, const wchar_t* position, int depth);
    const wchar_t* contentStep(XmlNode& node, const wchar_t* position, int depth);
    const wchar_t* endTag(XmlNode& node, const wchar_t* position, bool& closesNode);
    const wchar_t* attributeStep(XmlNode& node, const wchar_t* position, const wchar_t* bound);
    const wchar_t* textStep(XmlNode& node, const wchar_t* position, bool& blank);

    const wchar_t* skipSpace(const wchar_t* position) const;
    const wchar_t* find(const wchar_t* position, wchar_t character) const;
    bool opens(const wchar_t* position, std::wstring_view literal) const;
    const wchar_t* findClosing(const wchar_t* position, std::wstring_view sequence) const;
    template <typename Stops>
    const wchar_t* scanStretch(const wchar_t* position, Stops stops) const;
    void store(std::wstring& target, const wchar_t* from, const wchar_t* to) const;
    void fail(XmlParseError code, const wchar_t* position, std::wstring message);

    XmlDocument& document;
    const wchar_t* const begin;
    const wchar_t* const end;
    XmlParseInfo& info;
};

const wchar_t* Parser::parseDocument()
{
    const wchar_t* position = begin;
    const wchar_t* const first = skipSpace(begin);
    if (opens(first, L"<?"))
    {
        position = declarationStep(first);
        if (!position)
            return nullptr;
    }

    auto root = std::make_unique<XmlNode>(XmlNodeKind::Element, &document, &document);
    const wchar_t* const afterRoot = elementStep(*root, position, 1);
    if (!afterRoot)
        return nullptr;
    XmlNode& attached = *document.appendChild(std::move(root));

    bool handed = false;
    if (const wchar_t* const afterMisc = miscStep(afterRoot, attached, handed))
        return afterMisc;
    // The text ends inside markup after the root: it is cut off, and its tree is not to be used.
    document.removeChild(&attached);
    return nullptr;
}

const wchar_t* Parser::declarationStep(const wchar_t* position)
{
    const wchar_t* const close = findClosing(position, L"?>");
    if (!close)
        return nullptr;
    auto declaration = std::make_unique<XmlNode>(XmlNodeKind::Declaration, &document, &document);
    // The name is what follows the five characters of "<?xml", up to a blank, "?" or ">".
    const wchar_t* const nameStart = close - position < 5 ? close : position + 5;
    const wchar_t* nameEnd = nameStart;
    while (nameEnd < end && *nameEnd != L' ' && *nameEnd != L'?' && *nameEnd != L'>')
        ++nameEnd;
    declaration->name.assign(nameStart, nameEnd);
    // A faulty attribute of the declaration is recorded, but it does not stop the parse.
    attributeStep(*declaration, nameEnd, close);
    document.appendChild(std::move(declaration));
    return close + 2;
}

// White space, declarations, comments and CDATA sections. A comment or CDATA section met at the start of
// an element that has an enclosing element is handed to that element at once, which makes it a child of
// the enclosing element in document order.
const wchar_t* Parser::miscStep(const wchar_t* position, XmlNode& context, bool& handedToElement)
{
    handedToElement = false;
    const bool insideElement = context.parent() && context.parent()->kind != XmlNodeKind::Document;
    for (;;)
    {
        const wchar_t* const passStart = position;
        position = skipSpace(position);
        if (opens(position, L"<?"))
        {
            position = declarationStep(position);
            if (!position)
                return nullptr;
        }
        for (const SpecialMarkup& markup : specialMarkups)
        {
            position = skipSpace(position);
            if (!opens(position, markup.opening))
                continue;
            position = specialNode(position, markup, context);
            if (!position)
                return nullptr;
            if (insideElement)
            {
                handedToElement = true;
                return position;
            }
        }
        if (position == passStart)
            return position;
    }
}

// A comment or CDATA section, appended to the children of the context's parent.
const wchar_t* Parser::specialNode(const wchar_t* position, const SpecialMarkup& markup, XmlNode& context)
{
    const wchar_t* const body = position + markup.opening.size();
    const wchar_t* const close = findClosing(body, markup.closing);
    if (!close)
        return nullptr;
    XmlNode& holder = context.parent() ? *context.parent() : document;
    auto node = std::make_unique<XmlNode>(markup.kind, &holder, context.document());
    node->name = markup.name;
    node->value.assign(body, close);
    holder.appendChild(std::move(node));
    return close + markup.closing.size();
}

const wchar_t* Parser::elementStep(XmlNode& node, const wchar_t* position, int depth)
{
    node.clear();
    for (;;)
    {
        position = find(position, L'<');
        if (!position)
            return nullptr;
        if (position + 1 < end && position[1] == L'/')
            return position; // an end tag: it belongs to the caller
        bool handed = false;
        const wchar_t* const next = miscStep(position, node, handed);
        if (!next)
            return nullptr;
        if (handed)
            return next;
        if (next == position)
            break; // at the start tag
        position = next;
    }

    if (depth > XmlMaxNestingDepth)
    {
        fail(XmlErrorNestingTooDeep, position, L"Element nesting is too deep.");
        return nullptr;
    }

    const wchar_t* nameEnd = position + 1;
    while (nameEnd < end && !endsTagName(*nameEnd))
        ++nameEnd;
    if (nameEnd == end)
        return nullptr;
    if (nameEnd > position + 1)
        node.name.assign(position + 1, nameEnd);

    const wchar_t* const stop = attributeStep(node, nameEnd, nullptr);
    if (!stop)
        return nullptr;
    if (*stop == L'/' || *stop == L'?')
    {
        if (stop + 1 < end && stop[1] == L'>')
            return stop + 2;
        fail(XmlErrorElementNotClosed, stop + 1, L"Element must be closed.");
        return nullptr;
    }
    return contentStep(node, stop + 1, depth);
}

// The text and children of an element, up to its end tag or the end of the text.
const wchar_t* Parser::contentStep(XmlNode& node, const wchar_t* position, int depth)
{
    // Whether the value is blank is kept here, not asked again after every child: asking would cost
    // the length of the value each time.
    bool blank = isBlankText(node.value);
    if (blank)
    {
        position = textStep(node, position, blank);
        if (!position)
            return nullptr;
    }
    while (position < end)
    {
        auto child = std::make_unique<XmlNode>(node.kind, &node, node.document());
        const wchar_t* const next = elementStep(*child, position, depth + 1);
        if (!child->name.empty())
            node.appendChild(std::move(child));
        if (!next)
            return nullptr;
        position = next;

        if (position + 1 < end && position[0] == L'<' && position[1] == L'/')
        {
            bool closesNode = false;
            position = endTag(node, position, closesNode);
            if (!position || closesNode)
                return position;
        }
        else if (blank && position < end && *position != L'<')
        {
            // Text after a child replaces a blank value; once the value holds text, later text between
            // children is skipped by the next child's search for "<".
            position = textStep(node, position, blank);
            if (!position)
                return nullptr;
        }
    }
    return position; // the text ended inside the element, which is accepted
}

// An end tag at `position` ("</"): the position after its name, with closesNode telling whether it
// closes `node`. A mismatched name fails, unless end tags are lenient, which skips it.
const wchar_t* Parser::endTag(XmlNode& node, const wchar_t* position, bool& closesNode)
{
    const wchar_t* const nameStart = skipSpace(position + 2);
    const wchar_t* nameEnd = nameStart;
    while (nameEnd < end && *nameEnd != L' ' && *nameEnd != L'>')
        ++nameEnd;
    if (nameEnd == end)
    {
        fail(XmlErrorEndTagNotClosed, nameStart, L"it must be closed with </" + node.name + L">");
        return nullptr;
    }
    const std::wstring_view name(nameStart, static_cast<size_t>(nameEnd - nameStart));
    closesNode = name == node.name;
    if (!closesNode && !info.lenientEndTags)
    {
        fail(XmlErrorMismatchedEndTag, nameEnd + 1,
             L"'<" + node.name + L"> ... </" + std::wstring(name) + L">' is not wel-formed.");
        return nullptr;
    }
    return nameEnd + 1;
}

// Attributes from `position` to the end of a start tag ("/", ">" or "?"), or, with a bound, up to the
// bound (the "?>" of a declaration). Returns where it stopped.
const wchar_t* Parser::attributeStep(XmlNode& node, const wchar_t* position, const wchar_t* bound)
{
    for (;;)
    {
        if (position >= end)
            return nullptr;
        position = skipSpace(position);
        if (bound)
        {
            if (position >= bound)
                return position;
        }
        else if (position < end && (*position == L'/' || *position == L'>' || *position == L'?'))
        {
            return position;
        }

        const wchar_t* nameEnd = position;
        while (nameEnd < end && *nameEnd != L' ' && *nameEnd != L'=')
            ++nameEnd;
        if (nameEnd == end)
        {
            fail(XmlErrorAttribute, position, L"<" + node.name + L"> attribute has error ");
            return nullptr;
        }
        XmlAttribute* const attribute = node.addAttribute(std::wstring(position, nameEnd), std::wstring());

        position = skipSpace(nameEnd);
        if (position >= end || *position != L'=')
            continue; // a bare name keeps an empty value
        position = skipSpace(position + 1);
        if (position < end && (*position == L'"' || *position == L'\''))
        {
            const wchar_t quote = *position;
            const wchar_t* const close = scanStretch(position + 1, [quote](wchar_t c) { return c == quote; });
            if (!close || close == end)
                return nullptr; // the text ends inside the quoted value
            store(attribute->value, position + 1, close);
            position = close + 1;
        }
        else
        {
            const wchar_t* const stop =
                scanStretch(position, [](wchar_t c) { return c == L' ' || c == L'>'; });
            if (!stop)
                return nullptr;
            store(attribute->value, position, stop);
            position = stop;
        }
    }
}

// Text content up to the next "<" or the end of the text, stored into the node's value.
const wchar_t* Parser::textStep(XmlNode& node, const wchar_t* position, bool& blank)
{
    const wchar_t* const stop = scanStretch(position, [](wchar_t c) { return c == L'<'; });
    if (!stop)
        return nullptr;
    store(node.value, position, stop);
    blank = isBlankText(node.value);
    return stop;
}

const wchar_t* Parser::skipSpace(const wchar_t* position) const
{
    while (position < end && isWhiteSpace(*position))
        ++position;
    return position;
}

const wchar_t* Parser::find(const wchar_t* position, wchar_t character) const
{
    const wchar_t* const found = std::find(position, end, character);
    return found == end ? nullptr : found;
}

// Markup openings are recognised without regard to case.
bool Parser::opens(const wchar_t* position, std::wstring_view literal) const
{
    if (static_cast<size_t>(end - position) < literal.size())
        return false;
    return std::equal(literal.begin(), literal.end(), position, [](wchar_t expected, wchar_t actual) {
        return lowerAscii(expected) == lowerAscii(actual);
    });
}

// The first place where `sequence` stands, ignoring case; an escaped character cannot be part of it.
// Null when the text ends first.
const wchar_t* Parser::findClosing(const wchar_t* position, std::wstring_view sequence) const
{
    while (position < end)
    {
        if (info.escape && *position == info.escape)
        {
            if (end - position < 2)
                return nullptr;
            position += 2;
            continue;
        }
        if (opens(position, sequence))
            return position;
        ++position;
    }
    return nullptr;
}

// Finds the end of a value or text stretch: the first character for which `stops` is true, or the end
// of the text. An escape character makes the character after it part of the stretch; an escape
// character with nothing after it yields null.
template <typename Stops>
const wchar_t* Parser::scanStretch(const wchar_t* position, Stops stops) const
{
    while (position < end && !stops(*position))
    {
        if (info.escape && *position == info.escape)
        {
            if (end - position < 2)
                return nullptr;
            position += 2;
        }
        else
        {
            ++position;
        }
    }
    return position;
}

// Stores a stretch: trimmed if asked, escape characters removed, then entity references decoded. An
// empty stretch leaves the target as it was.
void Parser::store(std::wstring& target, const wchar_t* from, const wchar_t* to) const
{
    if (info.trimValues)
    {
        while (from < to && isWhiteSpace(*from))
            ++from;
        while (to > from && isWhiteSpace(to[-1]))
            --to;
    }
    if (from == to)
        return;
    // Most values hold neither escapes nor references: take them in one piece.
    const wchar_t* const firstEscape = info.escape ? std::find(from, to, info.escape) : to;
    std::wstring stretch(from, firstEscape);
    for (const wchar_t* position = firstEscape; position < to; ++position)
    {
        if (*position == info.escape && ++position == to)
            break;
        stretch += *position;
    }
    if (info.decodeEntities && !info.entities.empty() &&
        std::any_of(stretch.begin(), stretch.end(),
                    [this](wchar_t character) { return startsReference(character, info.entities); }))
        stretch = decode(stretch, info.entities);
    target = std::move(stretch);
}

void Parser::fail(XmlParseError code, const wchar_t* position, std::wstring message)
{
    if (info.errorSet)
        return;
    info.errorSet = true;
    info.errorPosition = position;
    info.errorCode = code;
    info.errorMessage = std::move(message);
}

} // namespace

const wchar_t* parse(XmlDocument& document, std::wstring_view text, XmlParseInfo* info)
{
    const std::wstring_view::size_type terminator = text.find(L'\0');
    if (terminator != std::wstring_view::npos)
        text = text.substr(0, terminator);
    Parser parser(document, text.data(), text.data() + text.size(), info ? *info : document.parseInfo);
    return parser.parseDocument();
}

} // namespace OM::Xml
