#include "cli/SettingChecks.h"

#include "cli/CliText.h"
#include "cli/SettingKeys.h"
#include "settings/RefusalText.h"
#include "settings/ValueChecks.h"

namespace OM::Norvatessa::Cli
{

namespace
{

// The lengths the settings sheet's fields take.
constexpr std::size_t NameLimit = 16;
constexpr std::size_t LoginLimit = 15;

std::optional<std::wstring> TextRefusal(Xml::PropertyText field, std::wstring_view text, std::size_t limit,
                                        const wchar_t* tooLong)
{
    if (auto reason = Norvatessa::TextRefusal(field, text))
        return reason;
    if (text.size() > limit)
        return std::wstring(tooLong);
    return std::nullopt;
}

} // namespace

std::optional<std::wstring> NameRefusal(std::wstring_view name)
{
    return TextRefusal(Xml::PropertyText::Name, name, NameLimit, CliText::NameTooLong);
}

std::optional<std::wstring> LoginRefusal(std::wstring_view login)
{
    return TextRefusal(Xml::PropertyText::Login, login, LoginLimit, CliText::LoginTooLong);
}

std::optional<std::wstring> PasswordRefusal(std::wstring_view password)
{
    return TextRefusal(Xml::PropertyText::Password, password, LoginLimit, CliText::LoginTooLong);
}

std::optional<RecordRefusal> RefuseRecord(const Xml::DeviceProperties& properties)
{
    using namespace SettingKeys;
    const std::pair<const wchar_t*, std::optional<std::wstring>> texts[] = {
        {Name, NameRefusal(properties.name)},
        {AdminLogin, LoginRefusal(properties.adminName)},
        {AdminPassword, PasswordRefusal(properties.adminPassword)},
        {UserLogin, LoginRefusal(properties.userName)},
        {UserPassword, PasswordRefusal(properties.userPassword)},
    };
    for (const auto& [key, reason] : texts)
    {
        if (reason)
            return RecordRefusal{key, *reason};
    }
    if (!IsUsableControllerAddress(properties.ip))
        return RecordRefusal{Ip, RefusalText::Address};
    if (properties.tcpPort == 0)
        return RecordRefusal{Port, RefusalText::Port};
    return std::nullopt;
}

} // namespace OM::Norvatessa::Cli
