#include "xml/XmlEntities.h"

#include <algorithm>

namespace OM::Xml
{

namespace
{

constexpr XmlEntity programEntities[] = {
    {L'&', L"&amp;", 5}, {L'"', L"&quot;", 6}, {L'\'', L"&apos;", 6}, {L'<', L"&lt;", 4}, {L'>', L"&gt;", 4},
};

const XmlEntity* entityFor(wchar_t character, XmlEntityTable entities)
{
    const auto found = std::find_if(entities.begin(), entities.end(), [character](const XmlEntity& entity) {
        return entity.character == character;
    });
    return found == entities.end() ? nullptr : &*found;
}

} // namespace

XmlEntityTable defaultEntities() noexcept
{
    return programEntities;
}

bool startsReference(wchar_t character, XmlEntityTable entities)
{
    return std::any_of(entities.begin(), entities.end(), [character](const XmlEntity& entity) {
        return entity.length > 0 && entity.reference[0] == character;
    });
}

std::wstring decode(std::wstring_view text, XmlEntityTable entities)
{
    std::wstring result;
    result.reserve(text.size());
    size_t position = 0;
    while (position < text.size())
    {
        // Copy the run up to the next character that may open a reference in one piece.
        const auto next =
            std::find_if(text.begin() + static_cast<std::ptrdiff_t>(position), text.end(),
                         [entities](wchar_t character) { return startsReference(character, entities); });
        const size_t start = static_cast<size_t>(next - text.begin());
        result.append(text.substr(position, start - position));
        if (start == text.size())
            break;
        const std::wstring_view rest = text.substr(start);
        const auto match = std::find_if(entities.begin(), entities.end(), [rest](const XmlEntity& entity) {
            return entity.length > 0 && rest.starts_with(std::wstring_view(entity.reference, entity.length));
        });
        if (match != entities.end())
        {
            result += match->character;
            position = start + static_cast<size_t>(match->length);
        }
        else
        {
            result += text[start];
            position = start + 1;
        }
    }
    return result;
}

std::wstring encode(std::wstring_view text, XmlEntityTable entities)
{
    const auto special = std::count_if(
        text.begin(), text.end(), [entities](wchar_t character) { return entityFor(character, entities); });
    if (special == 0)
        return std::wstring(text);

    std::wstring result;
    result.reserve(text.size() + 10 * static_cast<size_t>(special));
    for (const wchar_t character : text)
    {
        if (const XmlEntity* entity = entityFor(character, entities))
            result.append(entity->reference, static_cast<size_t>(entity->length));
        else
            result += character;
    }
    return result;
}

} // namespace OM::Xml
