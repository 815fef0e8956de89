#include "cli/JsonText.h"

#include <cwchar>

namespace OM::Norvatessa::Cli
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

} // namespace OM::Norvatessa::Cli
