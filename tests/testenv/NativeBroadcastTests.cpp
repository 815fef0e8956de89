// Proves the test network namespace for native programs such as the controller simulator: a broadcast
// to 255.255.255.255 comes back from the loopback address, and the namespace has no other interface.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace
{

class Socket
{
public:
    Socket() : descriptor(::socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~Socket()
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int get() const { return descriptor; }

private:
    int descriptor;
};

sockaddr_in Address(in_addr_t address, uint16_t port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = htonl(address);
    return result;
}

} // namespace

TEST(TestNamespace, HasNothingButTheLoopback)
{
    struct if_nameindex* interfaces = ::if_nameindex();
    ASSERT_NE(interfaces, nullptr);
    std::string names;
    for (const struct if_nameindex* entry = interfaces; entry->if_index != 0; ++entry)
        names += std::string(entry->if_name) + " ";
    ::if_freenameindex(interfaces);
    EXPECT_EQ(names, "lo ");
}

TEST(TestNamespace, NativeBroadcastReturnsFromTheLoopback)
{
    constexpr uint16_t port = 2862;
    Socket receiver;
    ASSERT_GE(receiver.get(), 0);
    const sockaddr_in any = Address(INADDR_ANY, port);
    ASSERT_EQ(::bind(receiver.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any), 0);

    Socket sender;
    const int on = 1;
    ASSERT_EQ(::setsockopt(sender.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on), 0);
    const std::string payload = "native broadcast";
    const sockaddr_in everybody = Address(INADDR_BROADCAST, port);
    ASSERT_EQ(::sendto(sender.get(), payload.data(), payload.size(), 0,
                       reinterpret_cast<const sockaddr*>(&everybody), sizeof everybody),
              static_cast<ssize_t>(payload.size()));

    pollfd waiting{receiver.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, 5000), 1) << "the broadcast did not come back";
    char buffer[64];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t received =
        ::recvfrom(receiver.get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    ASSERT_GT(received, 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(received)), payload);
    EXPECT_EQ(ntohl(from.sin_addr.s_addr), static_cast<in_addr_t>(INADDR_LOOPBACK));
}
