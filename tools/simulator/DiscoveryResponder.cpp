#include "DiscoveryResponder.h"

#include "AddressText.h"
#include "ReplyFormat.h"

#include <arpa/inet.h>
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
    loop.Watch(socket.get(), [this] { OnReadable(); });
    return {};
}

void DiscoveryResponder::OnReadable()
{
    std::vector<char> buffer(65536);
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t received = ::recvfrom(socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT,
                                        reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (received < 0)
        return;
    if (std::string_view(buffer.data(), static_cast<std::size_t>(received)) != Probe)
    {
        ++journal.counts().ignored;
        journal.Write("ignored " + std::to_string(received) + " bytes from " + Describe(from) +
                      ": not the probe");
        return;
    }
    Answer(from);
}

void DiscoveryResponder::Answer(const sockaddr_in& prober)
{
    ++journal.counts().probes;
    sockaddr_in to = prober;
    to.sin_port = htons(replyPort);
    journal.Write("probe from " + Describe(prober) + ": " + std::to_string(site.controllers().size()) +
                  " controllers answer to " + Describe(to));

    const EventLoop::Clock::time_point now = EventLoop::Clock::now();
    const unsigned generation = site.generation();
    for (const Controller& controller : site.controllers())
    {
        const int spread =
            controller.spreadMs > 0 ? std::uniform_int_distribution<int>(0, controller.spreadMs)(random) : 0;
        for (int copy = 0; copy < controller.copies; ++copy)
        {
            const auto due =
                now + std::chrono::milliseconds(controller.delayMs + spread + copy * controller.gapMs);
            // The controller is copied: the scenario may change before the reply is due.
            loop.At(due, [this, controller, to, copy, generation] {
                if (generation == site.generation())
                    Send(controller, to, copy);
            });
        }
    }
}

void DiscoveryResponder::Send(const Controller& controller, const sockaddr_in& to, int copy)
{
    const std::string who = FormatAddress(controller.address) + " (" + NameOf(controller.kind) +
                            (controller.copies > 1 ? ", copy " + std::to_string(copy + 1) : std::string()) +
                            ")";
    if (controller.lossPercent > 0 &&
        std::uniform_int_distribution<int>(1, 100)(random) <= controller.lossPercent)
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
