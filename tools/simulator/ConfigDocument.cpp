#include "ConfigDocument.h"

#include "AddressText.h"
#include "Windows1251.h"

#include <charconv>
#include <type_traits>

namespace Simulator
{

namespace
{

constexpr std::string_view Declaration = "<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n";

std::string Escaped(std::string_view value)
{
    std::string text;
    for (const char byte : value)
    {
        switch (byte)
        {
        case '&':
            text += "&amp;";
            break;
        case '<':
            text += "&lt;";
            break;
        case '>':
            text += "&gt;";
            break;
        case '"':
            text += "&quot;";
            break;
        // A reader turns these into blanks when they stand as they are.
        case '\t':
            text += "&#9;";
            break;
        case '\n':
            text += "&#10;";
            break;
        case '\r':
            text += "&#13;";
            break;
        default:
            text.push_back(byte);
        }
    }
    return text;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// One entity or character reference, `text` starting after its '&'; advances past its ';'.
std::optional<char> Resolved(std::string_view text, std::size_t& at)
{
    const std::size_t end = text.find(';', at);
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = text.substr(at, end - at);
    at = end + 1;
    if (name == "amp")
        return '&';
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "quot")
        return '"';
    if (name == "apos")
        return '\'';
    if (name.size() < 2 || name[0] != '#')
        return std::nullopt;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    unsigned long character = 0;
    const auto [next, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), character, hex ? 16 : 10);
    if (error != std::errc{} || next != digits.data() + digits.size() || digits.empty() || character == 0 ||
        character > 0x10FFFF)
        return std::nullopt;
    return Windows1251Byte(static_cast<char32_t>(character));
}

// The attributes of the tag whose name ends at `at`; advances past the tag's '>'.
std::optional<std::map<std::string, std::string>> TagAttributes(std::string_view text, std::size_t& at)
{
    std::map<std::string, std::string> attributes;
    for (;;)
    {
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        if (at >= text.size())
            return std::nullopt;
        if (text[at] == '>' || text.substr(at, 2) == "/>")
        {
            at = text.find('>', at) + 1;
            return attributes;
        }
        const std::size_t nameStart = at;
        while (at < text.size() && !IsBlank(text[at]) && text[at] != '=' && text[at] != '>' &&
               text[at] != '/')
            ++at;
        const std::string name(text.substr(nameStart, at - nameStart));
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        if (name.empty() || at >= text.size() || text[at] != '=')
            return std::nullopt;
        ++at;
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        if (at >= text.size() || (text[at] != '"' && text[at] != '\''))
            return std::nullopt;
        const char quote = text[at++];
        std::string value;
        for (;;)
        {
            if (at >= text.size() || text[at] == '<')
                return std::nullopt;
            const char c = text[at++];
            if (c == quote)
                break;
            if (c != '&')
                value.push_back(IsBlank(c) ? ' ' : c);
            else if (const std::optional<char> resolved = Resolved(text, at))
                value.push_back(*resolved);
            else
                return std::nullopt;
        }
        if (!attributes.emplace(name, std::move(value)).second)
            return std::nullopt;
    }
}

std::optional<long> Number(std::string_view text, long high)
{
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty() || value < 0 || value > high)
        return std::nullopt;
    return value;
}

std::optional<Credentials> CredentialsOf(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    return Credentials{std::string(text.substr(0, colon)), std::string(text.substr(colon + 1))};
}

} // namespace

NetAttributes NetAttributesOf(const Controller& controller)
{
    return {
        {"admin", controller.admin.login + ":" + controller.admin.password},
        {"flag", std::to_string(controller.flags)},
        {"gate", FormatAddress(controller.gateway)},
        {"ip", FormatAddress(controller.address)},
        {"mac", FormatMac(controller.mac)},
        {"mask", FormatAddress(controller.mask)},
        {"name", controller.name},
        {"seninv", std::to_string(controller.sensorInversion)},
        {"sentype", std::to_string(controller.sensorTypes)},
        {"tcp_port", std::to_string(controller.httpPort)},
        {"user", controller.user.login + ":" + controller.user.password},
    };
}

std::string BuildConfigDocument(const NetAttributes& attributes, std::string_view change,
                                std::size_t paddedLength)
{
    std::string net = "\t<net ";
    if (!change.empty())
        net += "change=\"" + Escaped(change) + "\" ";
    for (const auto& [name, value] : attributes)
        net += name + "=\"" + Escaped(value) + "\" ";
    net += "/>\n";

    std::string document = std::string(Declaration) + "<om>\n";
    const std::string end = "</om>\n";
    const std::string_view open = "\t<!-- ", close = " -->\n";
    const std::size_t plain = document.size() + net.size() + end.size();
    if (paddedLength >= plain + open.size() + close.size())
        document += std::string(open) + std::string(paddedLength - plain - open.size() - close.size(), '.') +
                    std::string(close);
    return document + net + end;
}

std::optional<std::map<std::string, std::string>> ReadNetAttributes(std::string_view document)
{
    // Declarations, comments, CDATA sections and end tags are passed over; so are other elements.
    static constexpr std::pair<std::string_view, std::string_view> Skipped[] = {
        {"<?", "?>"}, {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<!", ">"}, {"</", ">"}};
    std::size_t at = 0;
    while ((at = document.find('<', at)) != std::string_view::npos)
    {
        bool skipped = false;
        for (const auto& [start, end] : Skipped)
        {
            if (document.substr(at, start.size()) != start)
                continue;
            const std::size_t close = document.find(end, at + start.size());
            if (close == std::string_view::npos)
                return std::nullopt;
            at = close + end.size();
            skipped = true;
            break;
        }
        if (skipped)
            continue;
        const std::size_t nameStart = ++at;
        while (at < document.size() && !IsBlank(document[at]) && document[at] != '>' && document[at] != '/')
            ++at;
        const std::string_view name = document.substr(nameStart, at - nameStart);
        std::optional<std::map<std::string, std::string>> attributes = TagAttributes(document, at);
        if (name.empty() || !attributes)
            return std::nullopt;
        if (name == "net")
            return attributes;
    }
    return std::nullopt;
}

std::optional<Controller> WithNetAttributes(Controller controller,
                                            const std::map<std::string, std::string>& attributes)
{
    for (const auto& [name, value] : attributes)
    {
        bool good = true;
        const auto set = [&good](auto& setting, const auto& parsed) {
            if (parsed)
                setting = static_cast<std::remove_reference_t<decltype(setting)>>(*parsed);
            else
                good = false;
        };
        if (name == "name")
            controller.name = value;
        else if (name == "ip")
            set(controller.address, ParseAddress(value));
        else if (name == "tcp_port")
        {
            const std::optional<long> port = Number(value, 65535);
            set(controller.httpPort, port && *port > 0 ? port : std::nullopt);
        }
        else if (name == "mask")
            set(controller.mask, ParseAddress(value));
        else if (name == "gate")
            set(controller.gateway, ParseAddress(value));
        else if (name == "mac")
            set(controller.mac, ParseMac(value));
        else if (name == "sentype")
            set(controller.sensorTypes, Number(value, 255));
        else if (name == "seninv")
            set(controller.sensorInversion, Number(value, 255));
        else if (name == "flag")
            set(controller.flags, Number(value, 255));
        else if (name == "admin")
            set(controller.admin, CredentialsOf(value));
        else if (name == "user")
            set(controller.user, CredentialsOf(value));
        if (!good)
            return std::nullopt;
    }
    return controller;
}

} // namespace Simulator
