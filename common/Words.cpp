#include "common/Words.h"

namespace OM::Norvatessa::Words
{

std::wstring Fill(std::wstring_view sentence, std::initializer_list<std::wstring_view> values)
{
    std::wstring text;
    text.reserve(sentence.size());
    for (std::size_t at = 0; at < sentence.size(); ++at)
    {
        const wchar_t character = sentence[at];
        if (character == L'%' && at + 1 < sentence.size() && sentence[at + 1] >= L'1' &&
            sentence[at + 1] <= L'9')
        {
            const auto place = static_cast<std::size_t>(sentence[at + 1] - L'1');
            if (place < values.size())
            {
                text += values.begin()[place];
                ++at;
                continue;
            }
        }
        text += character;
    }
    return text;
}

} // namespace OM::Norvatessa::Words
