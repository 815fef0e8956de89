#pragma once

#include "Controller.h"
#include "EventLoop.h"
#include "FileDescriptor.h"
#include "Journal.h"
#include "Site.h"

#include <netinet/in.h>

#include <cstdint>
#include <string>

namespace Simulator
{

// The discovery side of every controller on the site: one socket on the probe port answers each probe
// with the replies of the controllers it reached, each sent from that controller's own address, at the
// time and in the shape the controller's behaviour says. A probe sent to a controller's own address
// reaches that controller only; any other (the limited broadcast, a directed broadcast) reaches them all.
// With an interface given, only probes that came in by it are answered: a namespace hears its own
// broadcasts on every interface they leave by, and the loopback site must not answer those sent to the
// segments of the test topology.
//
// The random choices (spread, loss) of one controller for one probe depend on the seed, the probe's
// number since the seed was set and the controller's place on the site, and on nothing else: neither on
// the other controllers nor on the order in which replies fall due. A test that probes k times then sees
// a controller with loss p answer at least once with probability 1 - p^k, the same way every run.
class DiscoveryResponder
{
public:
    DiscoveryResponder(EventLoop& loop, const Site& site, Journal& journal)
        : loop(loop), site(site), journal(journal)
    {
    }

    // Listens for probes on all local addresses; returns an error text, empty on success.
    std::string Open(std::uint16_t probePort, std::uint16_t replyPort);
    // Answers only probes that came in by this interface ("lo"); returns an error text, empty on success.
    std::string OnlyVia(const std::string& interfaceName);
    // Makes the random choices (spread, loss) repeatable from here on, and numbers probes from 1 again.
    void Reseed(unsigned newSeed)
    {
        seed = newSeed;
        probeNumber = 0;
    }

private:
    void OnReadable();
    // `destination` is where the probe was sent, host order.
    void Answer(const sockaddr_in& prober, std::uint32_t destination);
    void Send(const Controller& controller, const sockaddr_in& to, int copy, bool lost);

    EventLoop& loop;
    const Site& site;
    Journal& journal;
    FileDescriptor socket;
    std::uint16_t replyPort = 0;
    unsigned onlyInterface = 0; // 0: any
    std::string onlyInterfaceName;
    unsigned seed = 1;
    unsigned probeNumber = 0;
};

} // namespace Simulator
