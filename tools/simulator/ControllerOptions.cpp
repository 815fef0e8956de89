#include "ControllerOptions.h"

#include "AddressText.h"
#include "HttpService.h"
#include "ReplyFormat.h"
#include "Windows1251.h"

#include <array>
#include <charconv>
#include <optional>
#include <sstream>
#include <type_traits>

namespace Simulator
{

namespace
{

std::optional<long> Number(std::string_view text, long low, long high)
{
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::string> PercentDecoded(std::string_view text)
{
    std::string result;
    for (std::size_t at = 0; at < text.size(); ++at)
    {
        if (text[at] != '%')
        {
            result.push_back(text[at]);
            continue;
        }
        if (at + 2 >= text.size())
            return std::nullopt;
        unsigned value = 0;
        const char* first = text.data() + at + 1;
        const auto [end, error] = std::from_chars(first, first + 2, value, 16);
        if (error != std::errc{} || end != first + 2)
            return std::nullopt;
        result.push_back(static_cast<char>(value));
        at += 2;
    }
    return result;
}

std::optional<std::string> HexDecoded(std::string_view text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::string result;
    for (std::size_t at = 0; at < text.size(); at += 2)
    {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 2, value, 16);
        if (error != std::errc{} || end != text.data() + at + 2)
            return std::nullopt;
        result.push_back(static_cast<char>(value));
    }
    return result;
}

// UTF-8 with %XX escapes, in Windows-1251.
std::optional<std::string> TextOption(std::string_view value)
{
    const std::optional<std::string> decoded = PercentDecoded(value);
    return decoded ? Utf8ToWindows1251(*decoded) : std::nullopt;
}

// LOGIN:PASSWORD, each part as a text option; the first colon ends the login.
std::optional<Credentials> CredentialsOption(std::string_view value)
{
    const std::size_t colon = value.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::optional<std::string> login = TextOption(value.substr(0, colon));
    const std::optional<std::string> password = TextOption(value.substr(colon + 1));
    if (!login || !password)
        return std::nullopt;
    return Credentials{*login, *password};
}

std::string WithOrdinal(std::string_view pattern, std::size_t ordinal)
{
    std::string result(pattern);
    for (std::size_t at = result.find("{n}"); at != std::string::npos; at = result.find("{n}", at))
    {
        const std::string number = std::to_string(ordinal);
        result.replace(at, 3, number);
        at += number.size();
    }
    return result;
}

} // namespace

std::string ControllerOptions::Read(std::string_view words, bool adding)
{
    std::istringstream tokens{std::string(words)};
    std::string token;
    while (tokens >> token)
    {
        const std::size_t equals = token.find('=');
        if (equals == std::string::npos)
            return "option without a value: " + token;
        const std::string key = token.substr(0, equals);
        const std::string_view value = std::string_view(token).substr(equals + 1);
        const auto number = [&](long low, long high) { return Number(value, low, high); };
        // Sets one member of every controller the options are applied to.
        const auto setting = [this](auto member, auto parsed) {
            changes.push_back([member, parsed](Controller& controller, std::size_t) {
                controller.*member =
                    static_cast<std::remove_reference_t<decltype(controller.*member)>>(parsed);
                return std::string();
            });
        };
        std::optional<long> parsed;
        std::optional<std::uint32_t> address;
        std::optional<MacAddress> mac;
        std::optional<Credentials> credentials;
        std::optional<std::string> text;

        if (key == "count" && adding && (parsed = number(1, 100000)))
            howMany = *parsed;
        else if (key == "port" && (parsed = number(0, 65535)))
            setting(&Controller::httpPort, *parsed);
        else if (key == "delay" && (parsed = number(0, 3600000)))
            setting(&Controller::delayMs, *parsed);
        else if (key == "spread" && (parsed = number(0, 3600000)))
            setting(&Controller::spreadMs, *parsed);
        else if (key == "loss" && (parsed = number(0, 100)))
            setting(&Controller::lossPercent, *parsed);
        else if (key == "copies" && (parsed = number(1, 1000)))
            setting(&Controller::copies, *parsed);
        else if (key == "gap" && (parsed = number(0, 3600000)))
            setting(&Controller::gapMs, *parsed);
        else if (key == "size" && (parsed = number(23, 65507)))
            setting(&Controller::oversizedLength, *parsed);
        else if (key == "digits" && value.size() == 3)
            setting(&Controller::digits, std::array<char, 3>{value[0], value[1], value[2]});
        else if (key == "kind" && ReplyKindFromName(value))
            setting(&Controller::kind, *ReplyKindFromName(value));
        else if (key == "mask" && (address = ParseAddress(value)))
            setting(&Controller::mask, *address);
        else if (key == "gate" && (address = ParseAddress(value)))
            setting(&Controller::gateway, *address);
        else if (key == "mac" && (mac = ParseMac(value)))
            setting(&Controller::mac, *mac);
        else if (key == "sentype" && (parsed = number(0, 255)))
            setting(&Controller::sensorTypes, *parsed);
        else if (key == "seninv" && (parsed = number(0, 255)))
            setting(&Controller::sensorInversion, *parsed);
        else if (key == "flag" && (parsed = number(0, 255)))
            setting(&Controller::flags, *parsed);
        else if (key == "admin" && (credentials = CredentialsOption(value)))
            setting(&Controller::admin, *credentials);
        else if (key == "user" && (credentials = CredentialsOption(value)))
            setting(&Controller::user, *credentials);
        else if (key == "http" && HttpModeFromName(value))
            setting(&Controller::httpMode, *HttpModeFromName(value));
        else if (key == "drip" && (parsed = number(1, 60000)))
            setting(&Controller::dripMs, *parsed);
        else if (key == "answer-delay" && (parsed = number(0, 60000)))
            setting(&Controller::answerMs, *parsed);
        else if (key == "name" && (text = PercentDecoded(value)))
        {
            // {n} is the controller's number on the site; the name is in Windows-1251 once that is in.
            changes.push_back([pattern = *text](Controller& controller, std::size_t ordinal) {
                const std::optional<std::string> name = Utf8ToWindows1251(WithOrdinal(pattern, ordinal));
                if (!name)
                    return std::string("the name has a character that Windows-1251 lacks");
                controller.name = *name;
                return std::string();
            });
        }
        else if (key == "name-hex" && (text = HexDecoded(value)))
            setting(&Controller::name, *text);
        else
            return "bad option: " + token;
    }
    return {};
}

std::string ControllerOptions::ApplyTo(Controller& controller, std::size_t ordinal) const
{
    for (const Change& change : changes)
    {
        if (std::string error = change(controller, ordinal); !error.empty())
            return error;
    }
    return {};
}

std::string AsWordValue(std::string_view bytes)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string word;
    for (const char c : bytes)
    {
        const auto byte = static_cast<unsigned char>(c);
        const std::optional<std::string> character = Windows1251ToUtf8(byte);
        if (byte > ' ' && byte != '%' && byte != '=' && byte != 0x7F && character)
            word += *character;
        else
            word += {'%', Digits[byte >> 4], Digits[byte & 0xF]};
    }
    return word;
}

} // namespace Simulator
