#pragma once

namespace OM::Norvatessa
{

// What the wait dialog's second line says while an exchange runs.
inline constexpr wchar_t AuthorizationLabel[] = L"Авторизация";
inline constexpr wchar_t ReadPropertiesLabel[] = L"Запрос настроек контроллера";
inline constexpr wchar_t WritePropertiesLabel[] = L"Изменение настроек контроллера";

// What is requested on the controller.
inline constexpr wchar_t AuthorizationObject[] = L"config";
inline constexpr wchar_t PropertiesObject[] = L"config.xml";

} // namespace OM::Norvatessa
