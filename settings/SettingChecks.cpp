#include "settings/SettingChecks.h"

#include "common/Words.h"
#include "settings/ValueChecks.h"

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

// The lengths the settings sheet's fields take.
constexpr std::size_t NameLimit = 16;
constexpr std::size_t LoginLimit = 15;

std::optional<std::wstring> TextRefusal(Xml::PropertyText field, std::wstring_view text,
                                        const CodePage& codePage, std::size_t limit, const wchar_t* tooLong)
{
    if (auto reason = Norvatessa::TextRefusal(field, text, codePage))
        return reason;
    if (text.size() > limit)
        return Words::Fill(tooLong, limit);
    return std::nullopt;
}

} // namespace

std::optional<std::wstring> NameRefusal(std::wstring_view name, const CodePage& codePage)
{
    return TextRefusal(Xml::PropertyText::Name, name, codePage, NameLimit, Words::NameTooLong);
}

std::optional<std::wstring> LoginRefusal(std::wstring_view login, const CodePage& codePage)
{
    return TextRefusal(Xml::PropertyText::Login, login, codePage, LoginLimit, Words::LoginTooLong);
}

std::optional<std::wstring> PasswordRefusal(std::wstring_view password, const CodePage& codePage)
{
    return TextRefusal(Xml::PropertyText::Password, password, codePage, LoginLimit, Words::LoginTooLong);
}

} // namespace OM::Norvatessa::ControllerSettings
