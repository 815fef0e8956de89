#include "engine/JsonText.h"

#include <cwchar>

namespace OM::Norvatessa
{

std::wstring JsonString(std::wstring_view text)
{
    std::wstring literal = L"\"";
    for (const wchar_t character : text)
    {
        switch (character)
        {
        case L'"':
            literal += L"\\\"";
            break;
        case L'\\':
            literal += L"\\\\";
            break;
        case L'\n':
            literal += L"\\n";
            break;
        case L'\r':
            literal += L"\\r";
            break;
        case L'\t':
            literal += L"\\t";
            break;
        default:
            if (character < 0x20)
            {
                wchar_t escape[8];
                std::swprintf(escape, 8, L"\\u%04X", static_cast<unsigned>(character));
                literal += escape;
            }
            else
            {
                literal += character;
            }
        }
    }
    literal += L'"';
    return literal;
}

std::wstring JsonArray(const std::vector<std::wstring>& values)
{
    if (values.empty())
        return L"[]\n";
    std::wstring json = L"[";
    for (std::size_t index = 0; index < values.size(); ++index)
    {
        json += index == 0 ? L"\n" : L",\n";
        const std::wstring& value = values[index];
        for (std::size_t start = 0; start < value.size();)
        {
            std::size_t end = value.find(L'\n', start);
            if (end == std::wstring::npos)
                end = value.size();
            json += L"  ";
            json.append(value, start, end - start);
            start = end + 1;
            if (start < value.size())
                json += L'\n';
        }
    }
    json += L"\n]\n";
    return json;
}

} // namespace OM::Norvatessa
