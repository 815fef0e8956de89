#pragma once

#include "common/AddressRange.h"
#include "common/DiscoveredController.h"
#include "common/SearchReply.h"
#include "engine/DiscoveryReply.h"
#include "engine/NetworkAdapters.h"
#include "engine/SearchGoal.h"
#include "helpers/WinsockHandles.h"

#include <winsock2.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace OM::Norvatessa
{

// Finds the controllers on the local network: broadcasts the probe, collects the replies that arrive
// within the search time and reports the course of the search to its sink.
//
// A limited broadcast leaves through one adapter only, the one the system routes it to, so besides that
// probe the searcher sends one from every adapter that is up: to 255.255.255.255 from a socket bound to
// the adapter's address, and to the adapter's directed broadcast. Controllers it has been told of by
// address get the probe by unicast, which crosses routers, and so does every address of the ranges it has
// been told of, one after the other at a pace that a network behind a router bears. All of that goes out
// in `probeRounds` rounds over the first half of the search time, since a lossy link loses some probes
// and replies; every reply arrives on the one receive socket. A search with a goal ends soon after it
// has what it is for (SearchGoal.h); the first round has gone out through every adapter by then, since it
// goes before the first reply is taken.
//
// Who runs what:
//  - Search runs on the device manager's worker thread and blocks it for the whole search. It uses
//    overlapped receives so that its wait ends on the deadline, on a datagram, or on the cancel event.
//    The sink is called on that thread, from inside Search.
//  - Cancel is the one operation that another thread may call, at any time (the manager, at shutdown).
//  - Everything else (the settings below, ResetCancel, Found) belongs to the owner's thread while no
//    search runs; Found may also be read from inside OnSearchEnd.
// Windows Sockets must have been started by the program.
class DeviceSearcher
{
public:
    // Reports of a search, all on the thread that runs Search. Every operation does nothing unless
    // overridden. The slots keep their order; the third is never issued.
    class NotificationSink
    {
    public:
        // First thing in every search, before any socket exists.
        virtual void OnSearchBegin() {}
        // The search ran to its end; not issued after a cancel or a failure.
        virtual void OnSearchEnd() {}
        virtual void Reserved() {}
        virtual void OnProbeSent() {}
        // A datagram that arrived while the searcher was not receiving; it is not read.
        virtual void OnForeignDatagram(const std::array<std::uint8_t, 4>& /*sender*/,
                                       const std::uint8_t* /*data*/, std::size_t /*length*/)
        {
        }
        // A valid reply, before its record is appended to Found().
        virtual void OnReply(const SearchReply& /*reply*/) {}
        // Creating, configuring or binding a socket failed with this Windows Sockets error, or not one
        // probe could be sent (the error of the first that failed); the search ends there.
        // WSAEADDRNOTAVAIL: the search was to go through one adapter, and no adapter has that address.
        virtual void OnSocketError(std::int32_t /*error*/) {}
        // Once per search and adapter, as the first round goes out through it.
        virtual void OnAdapterProbed(const ProbedAdapter& /*adapter*/) {}

    protected:
        // The searcher never owns or destroys its sink; non-virtual, so that no destructor takes a slot.
        ~NotificationSink() = default;
    };

    // A controller probed by address whose probe the system refused in the first round: `error` is the
    // Windows Sockets error (WSAENETUNREACH where the workstation has no route to it). It costs that
    // controller only; the search goes on with the others.
    struct UnsentProbe
    {
        std::uint32_t address = 0;
        std::int32_t error = 0;
    };

    static constexpr std::size_t ReceiveBufferSize = 4096;
    static constexpr int DefaultReceiveBufferBytes = 1 << 20;

    DeviceSearcher();
    // With events of the caller's: the cancel event and the receive event, both manual-reset. A searcher
    // whose events are not valid refuses every search before it opens a socket.
    DeviceSearcher(Helpers::UniqueWsaEvent cancelEvent, Helpers::UniqueWsaEvent receiveEvent);
    ~DeviceSearcher();
    DeviceSearcher(const DeviceSearcher&) = delete;
    DeviceSearcher& operator=(const DeviceSearcher&) = delete;

    // Set by the owner before each search. A search time that is negative as a signed number waits
    // without limit for the first datagram that carries bytes (or a cancel).
    DWORD timeoutMs = 10000;
    u_short sendPort = 2860;               // where the probe is broadcast to
    u_short recvPort = DiscoveryReplyPort; // where the replies are received
    NotificationSink* sink = nullptr;      // null: no reports
    // Size asked for the receive socket's buffer, 0 for the system's default. A large site answers in
    // one burst, and every reply that finds the buffer full while the one outstanding receive is being
    // handled is lost: with the default buffer some 270 replies that arrive at once survive, with 1 MiB
    // all of 2000 (bench/discovery).
    int receiveBufferBytes = DefaultReceiveBufferBytes;
    // Probe rounds per search, at least 1.
    int probeRounds = 1;
    // The one adapter to search through, by its address; 0 for every adapter and the system's own choice.
    std::uint32_t adapterAddress = 0;
    // False: no broadcast at all, only the probes by address (whether a controller answers at an address).
    bool broadcast = true;
    // Controllers probed by unicast as well, wherever they are.
    std::vector<std::uint32_t> unicastTargets;
    // Runs of addresses probed by unicast one by one, each address in every round, at the pace of
    // SearchDeadline::UntilRangeProbe; an address that is a unicast target too is probed once a round.
    std::vector<AddressRange> unicastRanges;
    // What the search is for; without a goal it listens its whole time.
    SearchGoal goal;

    // Worker thread. Runs one search; the outcome reaches the sink. A datagram too long for the receive
    // buffer comes from no controller: it is dropped and reception goes on.
    void Search();

    // Any thread. Ends a running search, and every later one at once, as cancelled: the event stays set
    // until ResetCancel. A search that begins cancelled sends nothing.
    void Cancel() noexcept;
    // Owner thread, while no search runs.
    void ResetCancel() noexcept;

    // The records of the last search's valid replies in arrival order, duplicates included.
    const std::vector<DiscoveredController>& Found() const noexcept { return found; }
    // The last search's unicast targets whose probe could not be sent, in the order of unicastTargets.
    const std::vector<UnsentProbe>& UnsentProbes() const noexcept { return unsent; }
    // The last search's ranges some of whose probes could not be sent in the first round, in the order of
    // unicastRanges. A range cut off costs its own addresses only.
    const std::vector<UnprobedRange>& UnprobedRanges() const noexcept { return unprobed; }

private:
    enum class Outcome
    {
        Completed,
        Cancelled,
        Failed
    };

    // What came of posting a receive: it is outstanding; a datagram too long for it was waiting and is
    // gone, so it is posted again; or it failed, and the search ends.
    enum class Posted
    {
        Outstanding,
        Again,
        Failed
    };

    class ProbeSenders;
    struct Reception;

    // The steps of a search: open the senders and the receiver and send the first round, then receive
    // until the end, sending the rounds as they fall due, and close.
    int Begin(ProbeSenders& probes, Helpers::UniqueSocket& receiver, std::vector<ProbedAdapter>& probed);
    int OpenSenders(ProbeSenders& probes, std::vector<ProbedAdapter>& probed) const;
    int OpenRangeSender(ProbeSenders& probes) const;
    int OpenReceiver(Helpers::UniqueSocket& receiver) const;
    int SendFirstRound(ProbeSenders& probes, std::vector<ProbedAdapter>& probed);
    Outcome Receive(Helpers::UniqueSocket& receiver, ProbeSenders& probes);
    void Close(Helpers::UniqueSocket& receiver, ProbeSenders& probes);

    // The steps of the reception.
    static void SendDueRounds(Reception& reception, ProbeSenders& probes, DWORD now);
    static void SendDueRangeProbes(Reception& reception, ProbeSenders& probes, DWORD now);
    Posted PostReceive(SOCKET socket, Reception& reception);
    // Waits for the receive, the next round, the end or a cancel; the end of the search, or nothing
    // while it goes on.
    std::optional<Outcome> Wait(SOCKET socket, Reception& reception, const ProbeSenders& probes, bool over);
    std::optional<Outcome> TakeDatagram(SOCKET socket, Reception& reception);
    bool IsCancelled() const noexcept;
    void OnDatagram(const std::array<std::uint8_t, 4>& sender, const std::uint8_t* data, std::size_t length);

    int state = 0;                        // 1 from the start of the first reception on
    Helpers::UniqueWsaEvent cancelEvent;  // manual reset; set from any thread
    Helpers::UniqueWsaEvent receiveEvent; // manual reset; the event of `overlapped`
    WSAOVERLAPPED overlapped{};           // the one outstanding receive
    std::vector<DiscoveredController> found;
    std::vector<UnsentProbe> unsent;
    std::vector<UnprobedRange> unprobed;
};

} // namespace OM::Norvatessa
