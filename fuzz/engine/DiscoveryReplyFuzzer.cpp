// Any datagram on the reply port: the parser must neither read outside it nor invent data that is not in
// it. Besides the sanitizers, every field of an accepted reply is checked against the bytes it came from.
#include "engine/DiscoveryReply.h"

#include <cstdlib>
#include <cstring>

using namespace OM::Norvatessa;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::optional<DiscoveryReply> reply = ParseDiscoveryReply(data, size);
    if (!reply)
        return 0;
    const bool consistent =
        size >= DiscoveryReplyHeaderLength && std::memcmp(data, "norvatessa", 10) == 0 &&
        reply->port == (data[20] << 8 | data[21]) && reply->first >= 0 && reply->first <= 9 &&
        reply->second >= 0 && reply->second <= 9 && reply->third >= 0 && reply->third <= 9 &&
        reply->name.size() <= size - DiscoveryReplyHeaderLength &&
        std::memcmp(reply->name.data(), data + DiscoveryReplyHeaderLength, reply->name.size()) == 0 &&
        reply->name.find('\0') == std::string::npos &&
        (DiscoveryReplyHeaderLength + reply->name.size() == size ||
         data[DiscoveryReplyHeaderLength + reply->name.size()] == 0);
    if (!consistent)
        std::abort();
    return 0;
}
