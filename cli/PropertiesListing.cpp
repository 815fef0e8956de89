#include "cli/PropertiesListing.h"

#include "cli/JsonText.h"
#include "common/AddressText.h"

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

namespace OM::Norvatessa::Cli
{

namespace
{

// The words of the window program's sensors page.
constexpr wchar_t DigitalSensor[] = L"Цифровой (2 состояния)";
constexpr wchar_t AnalogSensor[] = L"Аналоговый (4 состояния)";
constexpr wchar_t NormallyOpen[] = L"нормально разомкнутый";
constexpr wchar_t NormallyClosed[] = L"нормально замкнутый";
constexpr wchar_t Hidden[] = L"скрыт (--show-passwords)";

bool IsAnalog(const Xml::DeviceProperties& properties, std::size_t input)
{
    return properties.sensorType[input] == 1;
}

bool IsNormallyOpen(const Xml::DeviceProperties& properties, std::size_t input)
{
    return properties.sensorInverted[input] == 1;
}

std::wstring TextLines(const Xml::DeviceProperties& properties, bool showPasswords)
{
    std::vector<std::pair<std::wstring, std::wstring>> lines = {
        {L"Имя сервера", properties.name},
        {L"IP адрес", AddressText(properties.ip)},
        {L"Порт", std::to_wstring(properties.tcpPort)},
        {L"Маска", AddressText(properties.mask)},
        {L"Шлюз", AddressText(properties.gateway)},
        {L"MAC адрес", MacText(properties.mac)},
    };
    for (std::size_t input = 0; input < properties.sensorType.size(); ++input)
    {
        std::wstring value = IsAnalog(properties, input) ? AnalogSensor : DigitalSensor;
        value += L", ";
        value += IsNormallyOpen(properties, input) ? NormallyOpen : NormallyClosed;
        lines.emplace_back(L"Датчик " + std::to_wstring(input + 1), value);
    }
    lines.emplace_back(L"Гудок", properties.buzzer ? L"включён" : L"выключен");
    lines.emplace_back(L"Запрашивать пароль", properties.askPassword ? L"да" : L"нет");
    lines.emplace_back(L"Администратор", properties.adminName);
    lines.emplace_back(L"Пароль администратора", showPasswords ? properties.adminPassword : Hidden);
    lines.emplace_back(L"Пользователь", properties.userName);
    lines.emplace_back(L"Пароль пользователя", showPasswords ? properties.userPassword : Hidden);

    std::size_t width = 0;
    for (const auto& line : lines)
        width = std::max(width, line.first.size());
    std::wstring text;
    for (const auto& [label, value] : lines)
    {
        text += label;
        text += L':';
        text.append(width - label.size() + 2, L' ');
        text += value;
        text += L'\n';
    }
    return text;
}

std::wstring JsonAccount(const std::wstring& login, const std::wstring& password, bool showPassword)
{
    std::wstring json = L"{\"login\": ";
    json += JsonString(login);
    if (showPassword)
    {
        json += L", \"password\": ";
        json += JsonString(password);
    }
    json += L'}';
    return json;
}

std::wstring JsonObject(const Xml::DeviceProperties& properties, bool showPasswords)
{
    std::wstring json = L"{\n";
    json += L"  \"name\": " + JsonString(properties.name) + L",\n";
    json += L"  \"ip\": " + JsonString(AddressText(properties.ip)) + L",\n";
    json += L"  \"port\": " + std::to_wstring(properties.tcpPort) + L",\n";
    json += L"  \"mask\": " + JsonString(AddressText(properties.mask)) + L",\n";
    json += L"  \"gateway\": " + JsonString(AddressText(properties.gateway)) + L",\n";
    json += L"  \"mac\": " + JsonString(MacText(properties.mac)) + L",\n";
    json += L"  \"sensors\": [\n";
    for (std::size_t input = 0; input < properties.sensorType.size(); ++input)
    {
        json += L"    {\"type\": ";
        json += IsAnalog(properties, input) ? L"\"analog\"" : L"\"digital\"";
        json += L", \"contact\": ";
        json += IsNormallyOpen(properties, input) ? L"\"normally-open\"" : L"\"normally-closed\"";
        json += input + 1 < properties.sensorType.size() ? L"},\n" : L"}\n";
    }
    json += L"  ],\n";
    json += L"  \"buzzer\": ";
    json += JsonBool(properties.buzzer);
    json += L",\n  \"askPassword\": ";
    json += JsonBool(properties.askPassword);
    json += L",\n  \"admin\": " + JsonAccount(properties.adminName, properties.adminPassword, showPasswords);
    json += L",\n  \"user\": " + JsonAccount(properties.userName, properties.userPassword, showPasswords);
    json += L"\n}\n";
    return json;
}

void ReplaceFirst(std::wstring& text, std::wstring_view what, std::wstring_view with)
{
    if (const std::size_t at = text.find(what); at != std::wstring::npos)
        text.replace(at, what.size(), with);
}

std::wstring SentDocument(Xml::DeviceProperties properties, bool showPasswords, bool utf8)
{
    if (!showPasswords)
    {
        properties.adminPassword.clear();
        properties.userPassword.clear();
    }
    std::wstring document = Xml::writeDeviceProperties(properties);
    if (utf8)
        ReplaceFirst(document, L"encoding=\"Windows-1251\"", L"encoding=\"UTF-8\"");
    if (!showPasswords)
        ReplaceFirst(document, L"<om>", L"<om passwordsOmitted=\"yes\">");
    if (!document.empty() && document.back() != L'\n')
        document += L'\n';
    return document;
}

} // namespace

std::wstring PropertiesListing(const Xml::DeviceProperties& properties, PropertiesFormat format,
                               bool showPasswords, bool utf8)
{
    switch (format)
    {
    case PropertiesFormat::Text:
        return TextLines(properties, showPasswords);
    case PropertiesFormat::Json:
        return JsonObject(properties, showPasswords);
    case PropertiesFormat::Xml:
        return SentDocument(properties, showPasswords, utf8);
    }
    return {};
}

std::wstring MacText(const std::array<std::uint8_t, 6>& mac)
{
    std::wstring text;
    for (const std::uint8_t byte : mac)
    {
        wchar_t digits[3];
        std::swprintf(digits, 3, L"%.2X", byte);
        if (!text.empty())
            text += L'-';
        text += digits;
    }
    return text;
}

} // namespace OM::Norvatessa::Cli
