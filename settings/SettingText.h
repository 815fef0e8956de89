#pragma once

#include <string>
#include <string_view>

namespace OM::Norvatessa::SettingText
{

// What the console program and the window program say about a controller's settings given as words
// (KEY=VALUE) or read from a backup file. The settings sheet's own refusals are in RefusalText.

inline constexpr wchar_t NoAssignment[] = L"не задано ни одного изменения КЛЮЧ=ЗНАЧЕНИЕ.";
inline constexpr wchar_t NameTooLong[] = L"Имя контроллера — не больше 16 символов.";
inline constexpr wchar_t LoginTooLong[] = L"Имя и пароль — не больше 15 символов.";
inline constexpr wchar_t NotAnAddress[] = L"Адрес записывается четырьмя числами от 0 до 255 через точку.";
inline constexpr wchar_t MacPair[] = L"Задаются два последних байта MAC-адреса через дефис, например 1A-2B.";
inline constexpr wchar_t SensorType[] = L"Тип датчика — digital (цифровой) или analog (аналоговый).";
inline constexpr wchar_t SensorContact[] =
    L"Контакт датчика — open (нормально разомкнутый) или closed (нормально замкнутый).";
inline constexpr wchar_t OnOff[] = L"Значение — on или off.";
inline constexpr wchar_t MacAddress[] =
    L"MAC-адрес записывается шестью байтами через дефис, например 00-1A-2B-3C-4D-5E.";
inline constexpr wchar_t ByteValue[] = L"Значение — число от 0 до 255.";
inline constexpr wchar_t CredentialsPair[] = L"Имя и пароль записываются через двоеточие: ИМЯ:ПАРОЛЬ.";
inline constexpr wchar_t FileEncoding[] = L"Файл настроек читается в кодировке UTF-8 или Windows-1251.";
std::wstring NotAssignment(std::wstring_view word);
std::wstring UnknownKey(std::wstring_view key);
std::wstring RepeatedKey(std::wstring_view key);
std::wstring RefusedValue(std::wstring_view key, std::wstring_view reason);

} // namespace OM::Norvatessa::SettingText
