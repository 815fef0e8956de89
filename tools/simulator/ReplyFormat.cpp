#include "ReplyFormat.h"

#include <algorithm>
#include <array>
#include <utility>

namespace Simulator
{

namespace
{

constexpr std::size_t HeaderLength = 22;

constexpr std::array<std::pair<ReplyKind, const char*>, 6> KindNames{{
    {ReplyKind::Reply, "reply"},
    {ReplyKind::Unterminated, "unterminated"},
    {ReplyKind::Short, "short"},
    {ReplyKind::WrongPrefix, "prefix"},
    {ReplyKind::Empty, "empty"},
    {ReplyKind::Oversized, "huge"},
}};

std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at)
{
    const auto byte = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    const unsigned char lead = byte(at);
    const int extra = lead < 0x80             ? 0
                      : (lead & 0xE0) == 0xC0 ? 1
                      : (lead & 0xF0) == 0xE0 ? 2
                      : (lead & 0xF8) == 0xF0 ? 3
                                              : -1;
    if (extra < 0 || at + static_cast<std::size_t>(extra) >= text.size())
        return std::nullopt;
    char32_t point = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i)
    {
        if ((byte(at + static_cast<std::size_t>(i)) & 0xC0) != 0x80)
            return std::nullopt;
        point = point << 6 | (byte(at + static_cast<std::size_t>(i)) & 0x3F);
    }
    at += static_cast<std::size_t>(extra) + 1;
    return point;
}

} // namespace

std::vector<unsigned char> BuildReply(const Controller& controller)
{
    if (controller.kind == ReplyKind::Empty)
        return {};
    std::vector<unsigned char> datagram;
    datagram.reserve(std::max(HeaderLength + controller.name.size() + 1, controller.oversizedLength));
    datagram.insert(datagram.end(), Probe.begin(), Probe.begin() + 10);
    // Bytes 10 to 19: the three digits as "d.d.d", then five bytes a workstation does not read.
    const std::array<unsigned char, 10> version{static_cast<unsigned char>(controller.digits[0]),
                                                '.',
                                                static_cast<unsigned char>(controller.digits[1]),
                                                '.',
                                                static_cast<unsigned char>(controller.digits[2]),
                                                0,
                                                0,
                                                0,
                                                0,
                                                0};
    datagram.insert(datagram.end(), version.begin(), version.end());
    datagram.push_back(static_cast<unsigned char>(controller.httpPort >> 8));
    datagram.push_back(static_cast<unsigned char>(controller.httpPort & 0xFF));
    datagram.insert(datagram.end(), controller.name.begin(), controller.name.end());

    switch (controller.kind)
    {
    case ReplyKind::Reply:
        datagram.push_back(0);
        break;
    case ReplyKind::Unterminated:
        break;
    case ReplyKind::Short:
        datagram.resize(HeaderLength - 1);
        break;
    case ReplyKind::WrongPrefix:
        datagram[9] = 'A';
        datagram.push_back(0);
        break;
    case ReplyKind::Oversized:
        datagram.push_back(0);
        if (datagram.size() < controller.oversizedLength)
            datagram.resize(controller.oversizedLength, 'x');
        break;
    case ReplyKind::Empty:
        break;
    }
    return datagram;
}

std::optional<ReplyKind> ReplyKindFromName(std::string_view name)
{
    for (const auto& [kind, kindName] : KindNames)
    {
        if (name == kindName)
            return kind;
    }
    return std::nullopt;
}

const char* NameOf(ReplyKind kind)
{
    for (const auto& [known, name] : KindNames)
    {
        if (known == kind)
            return name;
    }
    return "?";
}

std::optional<std::string> Utf8ToWindows1251(std::string_view text)
{
    std::string result;
    for (std::size_t at = 0; at < text.size();)
    {
        const std::optional<char32_t> point = NextCodePoint(text, at);
        if (!point)
            return std::nullopt;
        if (*point < 0x80)
            result.push_back(static_cast<char>(*point));
        else if (*point >= 0x0410 && *point <= 0x044F) // А to я lie in one run from 0xC0
            result.push_back(static_cast<char>(0xC0 + (*point - 0x0410)));
        else if (*point == 0x0401) // Ё
            result.push_back(static_cast<char>(0xA8));
        else if (*point == 0x0451) // ё
            result.push_back(static_cast<char>(0xB8));
        else if (*point == 0x2116) // №
            result.push_back(static_cast<char>(0xB9));
        else
            return std::nullopt;
    }
    return result;
}

} // namespace Simulator
