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

} // namespace Simulator
