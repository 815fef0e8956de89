#include "engine/NetworkAdapters.h"

#include <winsock2.h>
#include <iphlpapi.h>
#include <ws2tcpip.h>

namespace OM::Norvatessa
{

std::vector<NetworkAdapter> UpAdapters()
{
    constexpr ULONG Flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    std::vector<unsigned char> buffer(16 * 1024);
    ULONG size = static_cast<ULONG>(buffer.size());
    ULONG result = ERROR_BUFFER_OVERFLOW;
    // The list may grow between two calls; a few tries settle it.
    for (int tries = 0; tries < 4 && result == ERROR_BUFFER_OVERFLOW; ++tries)
    {
        buffer.resize(size);
        result = ::GetAdaptersAddresses(AF_INET, Flags, nullptr,
                                        reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    std::vector<NetworkAdapter> adapters;
    if (result != ERROR_SUCCESS)
        return adapters;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next)
    {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next)
        {
            const SOCKADDR* socketAddress = unicast->Address.lpSockaddr;
            if (socketAddress == nullptr || socketAddress->sa_family != AF_INET)
                continue;
            NetworkAdapter found;
            found.address = ::ntohl(reinterpret_cast<const sockaddr_in*>(socketAddress)->sin_addr.s_addr);
            const ULONG prefix = unicast->OnLinkPrefixLength;
            found.mask = prefix == 0 || prefix > 32 ? 0 : ~std::uint32_t{0} << (32 - prefix);
            found.name = adapter->FriendlyName != nullptr ? adapter->FriendlyName : L"";
            adapters.push_back(std::move(found));
        }
    }
    return adapters;
}

} // namespace OM::Norvatessa
