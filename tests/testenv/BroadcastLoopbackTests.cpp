// Proves the test network namespace: a datagram broadcast to 255.255.255.255 by a Windows program under
// Wine comes back to a socket of the same namespace, from the loopback address.
#include "helpers/WinsockHandles.h"

#include <gtest/gtest.h>

#include <ws2tcpip.h>

#include <string>

using namespace OM::Helpers;

namespace
{

constexpr u_short ProbePort = 2861;

sockaddr_in Address(ULONG address, u_short port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = ::htons(port);
    result.sin_addr.s_addr = ::htonl(address);
    return result;
}

} // namespace

TEST(TestNamespace, BroadcastDatagramReturnsToTheNamespacesOwnSocket)
{
    WinsockSession winsock;
    ASSERT_TRUE(winsock.ok());

    UniqueSocket receiver(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    ASSERT_TRUE(receiver);
    const sockaddr_in any = Address(INADDR_ANY, ProbePort);
    ASSERT_EQ(::bind(receiver.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any), 0)
        << ::WSAGetLastError();

    UniqueSocket sender(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    ASSERT_TRUE(sender);
    const BOOL on = TRUE;
    ASSERT_EQ(
        ::setsockopt(sender.get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on),
        0);
    const std::string payload = "broadcast inside the namespace";
    const sockaddr_in everybody = Address(INADDR_BROADCAST, ProbePort);
    ASSERT_EQ(::sendto(sender.get(), payload.data(), static_cast<int>(payload.size()), 0,
                       reinterpret_cast<const sockaddr*>(&everybody), sizeof everybody),
              static_cast<int>(payload.size()))
        << ::WSAGetLastError();

    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(receiver.get(), &readable);
    timeval patience{5, 0};
    ASSERT_EQ(::select(0, &readable, nullptr, nullptr, &patience), 1) << "the broadcast did not come back";

    char buffer[256];
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int received =
        ::recvfrom(receiver.get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    ASSERT_GT(received, 0) << ::WSAGetLastError();
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(received)), payload);
    EXPECT_EQ(::ntohl(from.sin_addr.s_addr), static_cast<ULONG>(INADDR_LOOPBACK));
}
