#include "engine/DiscoveryReply.h"

#include <algorithm>
#include <cstring>

namespace OM::Norvatessa
{

namespace
{

int Digit(unsigned char byte)
{
    return byte >= '0' && byte <= '9' ? byte - '0' : 0;
}

} // namespace

std::optional<DiscoveryReply> ParseDiscoveryReply(const unsigned char* data, std::size_t length)
{
    if (data == nullptr || length < DiscoveryReplyHeaderLength)
        return std::nullopt;
    if (std::memcmp(data, DiscoveryProbe.data(), DiscoveryReplyPrefixLength) != 0)
        return std::nullopt;

    DiscoveryReply reply;
    reply.first = Digit(data[10]);
    reply.second = Digit(data[12]);
    reply.third = Digit(data[14]);
    reply.port = static_cast<std::uint16_t>(data[20] << 8 | data[21]);
    const unsigned char* name = data + DiscoveryReplyHeaderLength;
    const unsigned char* end = data + length;
    reply.name.assign(name, std::find(name, end, 0));
    return reply;
}

} // namespace OM::Norvatessa
