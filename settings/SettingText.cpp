#include "settings/SettingText.h"

namespace OM::Norvatessa::SettingText
{

namespace
{

// «key», quoted as the console program quotes what the user typed.
std::wstring Around(std::wstring_view before, std::wstring_view word, std::wstring_view after)
{
    return std::wstring(before) + L"«" + std::wstring(word) + L"»" + std::wstring(after);
}

} // namespace

std::wstring NotAssignment(std::wstring_view word)
{
    return Around(L"", word, L" — не изменение вида КЛЮЧ=ЗНАЧЕНИЕ.");
}

std::wstring UnknownKey(std::wstring_view key)
{
    return Around(L"неизвестный ключ ", key, L".");
}

std::wstring RepeatedKey(std::wstring_view key)
{
    return Around(L"ключ ", key, L" задан дважды.");
}

std::wstring RefusedValue(std::wstring_view key, std::wstring_view reason)
{
    return Around(L"недопустимое значение ", key, L": ") + std::wstring(reason);
}

} // namespace OM::Norvatessa::SettingText
