#pragma once

#include <cstddef>
#include <string>

namespace OM::Norvatessa::ControllerSettings::SettingKeys
{

// The names of a controller's settings on the command line of "set", in refusals of restored files and
// in the report of a write that did not hold. Sensor keys carry the input's number, 1 to 8.
inline constexpr wchar_t Name[] = L"name";
inline constexpr wchar_t Ip[] = L"ip";
inline constexpr wchar_t Port[] = L"port";
inline constexpr wchar_t Mask[] = L"mask";
inline constexpr wchar_t Gateway[] = L"gateway";
inline constexpr wchar_t Mac[] = L"mac";
inline constexpr wchar_t Sensor[] = L"sensor";
inline constexpr wchar_t Contact[] = L"contact";
inline constexpr wchar_t Buzzer[] = L"buzzer";
inline constexpr wchar_t AskPassword[] = L"ask-password";
inline constexpr wchar_t AdminLogin[] = L"admin-login";
inline constexpr wchar_t AdminPassword[] = L"admin-password";
inline constexpr wchar_t UserLogin[] = L"user-login";
inline constexpr wchar_t UserPassword[] = L"user-password";

// "sensor3" for the input at index 2.
inline std::wstring ForInput(const wchar_t* key, std::size_t index)
{
    return key + std::to_wstring(index + 1);
}

} // namespace OM::Norvatessa::ControllerSettings::SettingKeys
