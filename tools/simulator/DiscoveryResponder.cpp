#include "DiscoveryResponder.h"

#include "AddressText.h"
#include "ReplyFormat.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace Simulator
{

namespace
{

std::string Describe(const sockaddr_in& endpoint)
{
    return FormatAddress(ntohl(endpoint.sin_addr.s_addr)) + ":" + std::to_string(ntohs(endpoint.sin_port));
}

// The random numbers of one controller for one probe: SplitMix64's finaliser over the seed, the probe's
// number, the controller's place and which number it is, so that each is drawn on its own.
class ReplyDraws
{
public:
    ReplyDraws(unsigned seed, unsigned probe, std::size_t controller)
        : state(Mix(Mix(Mix(seed) ^ probe) ^ controller))
    {
    }
    // 0 to `limit`, the `which`-th number.
    int UpTo(int limit, unsigned which) const
    {
        return static_cast<int>(Mix(state ^ which) % (static_cast<std::uint64_t>(limit) + 1));
    }

private:
    static std::uint64_t Mix(std::uint64_t value)
    {
        value += 0x9E3779B97F4A7C15;
        value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9;
        value = (value ^ (value >> 27)) * 0x94D049BB133111EB;
        return value ^ (value >> 31);
    }

    std::uint64_t state;
};

} // namespace

std::string DiscoveryResponder::Open(std::uint16_t probePort, std::uint16_t replies)
{
    replyPort = replies;
    socket.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!socket)
        return std::string("socket: ") + std::strerror(errno);
    // Probes go to the limited broadcast address; only a socket bound to all addresses receives them.
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(probePort);
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0)
        return "bind to probe port " + std::to_string(probePort) + ": " + std::strerror(errno);
    // Where each probe was sent: a broadcast reaches every controller, a unicast probe only its addressee.
    const int on = 1;
    if (::setsockopt(socket.get(), IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0)
        return std::string("IP_PKTINFO: ") + std::strerror(errno);
    loop.Watch(socket.get(), [this] { OnReadable(); });
    return {};
}

std::string DiscoveryResponder::OnlyVia(const std::string& interfaceName)
{
    onlyInterface = ::if_nametoindex(interfaceName.c_str());
    if (onlyInterface == 0)
        return "no interface " + interfaceName + ": " + std::strerror(errno);
    onlyInterfaceName = interfaceName;
    return {};
}

void DiscoveryResponder::OnReadable()
{
    std::vector<char> buffer(65536);
    iovec data{buffer.data(), buffer.size()};
    sockaddr_in from{};
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))]{};
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t received = ::recvmsg(socket.get(), &message, MSG_DONTWAIT);
    if (received < 0)
        return;
    if (std::string_view(buffer.data(), static_cast<std::size_t>(received)) != Probe)
    {
        ++journal.counts().ignored;
        journal.Write("ignored " + std::to_string(received) + " bytes from " + Describe(from) +
                      ": not the probe");
        return;
    }
    std::uint32_t destination = INADDR_BROADCAST;
    unsigned arrival = 0;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header))
    {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO)
        {
            in_pktinfo information{};
            std::memcpy(&information, CMSG_DATA(header), sizeof information);
            destination = ntohl(information.ipi_addr.s_addr);
            arrival = static_cast<unsigned>(information.ipi_ifindex);
        }
    }
    // Not counted anywhere: the probe was meant for another network, as if it had never come here.
    if (onlyInterface != 0 && arrival != onlyInterface)
    {
        char name[IF_NAMESIZE] = "?";
        ::if_indextoname(arrival, name);
        journal.Write("probe from " + Describe(from) + " to " + FormatAddress(destination) + " came in by " +
                      name + ", not " + onlyInterfaceName + ": unanswered");
        return;
    }
    Answer(from, destination);
}

void DiscoveryResponder::Answer(const sockaddr_in& prober, std::uint32_t destination)
{
    journal.CountProbe();
    ++probeNumber;
    sockaddr_in to = prober;
    to.sin_port = htons(replyPort);
    // A probe to an address where a controller could live but none does (one of a range probed address
    // by address) is answered by nobody, as on a real network.
    const bool unicast = site.Find(destination).has_value() || site.network().Assignable(destination);
    std::vector<std::size_t> reached;
    for (std::size_t index = 0; index < site.controllers().size(); ++index)
    {
        if (!unicast || site.controllers()[index].address == destination)
            reached.push_back(index);
    }
    journal.Write("probe " + std::to_string(probeNumber) + " from " + Describe(prober) + " to " +
                  FormatAddress(destination) + ": " + std::to_string(reached.size()) +
                  " controllers answer to " + Describe(to));

    const EventLoop::Clock::time_point now = EventLoop::Clock::now();
    const unsigned generation = site.generation();
    for (const std::size_t index : reached)
    {
        const Controller& controller = site.controllers()[index];
        const ReplyDraws draws(seed, probeNumber, index);
        const int spread = draws.UpTo(controller.spreadMs, 0);
        for (int copy = 0; copy < controller.copies; ++copy)
        {
            // 0 to 99 against the percentage: loss=0 loses nothing, loss=100 everything.
            const bool lost = draws.UpTo(99, 1 + static_cast<unsigned>(copy)) < controller.lossPercent;
            const auto due =
                now + std::chrono::milliseconds(controller.delayMs + spread + copy * controller.gapMs);
            // The controller is copied: the scenario may change before the reply is due.
            loop.At(due, [this, controller, to, copy, lost, generation] {
                if (generation == site.generation())
                    Send(controller, to, copy, lost);
            });
        }
    }
}

void DiscoveryResponder::Send(const Controller& controller, const sockaddr_in& to, int copy, bool lost)
{
    const std::string who = FormatAddress(controller.address) + " (" + NameOf(controller.kind) +
                            (controller.copies > 1 ? ", copy " + std::to_string(copy + 1) : std::string()) +
                            ")";
    if (lost)
    {
        ++journal.counts().lost;
        journal.Write(who + " loses its reply");
        return;
    }

    std::vector<unsigned char> datagram = BuildReply(controller);
    iovec data{datagram.data(), datagram.size()};
    msghdr message{};
    sockaddr_in destination = to;
    message.msg_name = &destination;
    message.msg_namelen = sizeof destination;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    // The source address of this one datagram: the controller's own.
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))]{};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo source{};
    source.ipi_spec_dst.s_addr = htonl(controller.address);
    std::memcpy(CMSG_DATA(header), &source, sizeof source);

    if (::sendmsg(socket.get(), &message, 0) < 0)
    {
        ++journal.counts().failed;
        journal.Write(who + " could not send " + std::to_string(datagram.size()) + " bytes to " +
                      Describe(to) + ": " + std::strerror(errno));
        return;
    }
    ++journal.counts().sent;
    journal.Write(who + " sent " + std::to_string(datagram.size()) + " bytes to " + Describe(to));
}

} // namespace Simulator
