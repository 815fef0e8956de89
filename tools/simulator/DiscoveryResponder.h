#pragma once

#include "Controller.h"
#include "EventLoop.h"
#include "FileDescriptor.h"
#include "Journal.h"
#include "Site.h"

#include <netinet/in.h>

#include <cstdint>
#include <random>
#include <string>

namespace Simulator
{

// The discovery side of every controller on the site: one socket on the probe port answers each probe
// with every controller's reply, each sent from that controller's own address (the system picks the
// source address per datagram), at the time and in the shape the controller's behaviour says.
class DiscoveryResponder
{
public:
    DiscoveryResponder(EventLoop& loop, const Site& site, Journal& journal)
        : loop(loop), site(site), journal(journal)
    {
    }

    // Listens for probes on all local addresses; returns an error text, empty on success.
    std::string Open(std::uint16_t probePort, std::uint16_t replyPort);
    // Makes the random choices (spread, loss) repeatable from here on.
    void Reseed(unsigned seed) { random.seed(seed); }

private:
    void OnReadable();
    void Answer(const sockaddr_in& prober);
    void Send(const Controller& controller, const sockaddr_in& to, int copy);

    EventLoop& loop;
    const Site& site;
    Journal& journal;
    FileDescriptor socket;
    std::uint16_t replyPort = 0;
    std::mt19937 random{1};
};

} // namespace Simulator
