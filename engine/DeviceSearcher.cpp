#include "engine/DeviceSearcher.h"

#include "common/AnsiText.h"
#include "engine/DiscoveryReply.h"
#include "engine/SearchDeadline.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace OM::Norvatessa
{

using Helpers::UniqueSocket;
using Helpers::UniqueWsaEvent;

namespace
{

static_assert(SearchDeadline::Unbounded == WSA_INFINITE);

sockaddr_in Endpoint(ULONG address, u_short port)
{
    sockaddr_in endpoint{};
    endpoint.sin_family = AF_INET;
    endpoint.sin_port = ::htons(port);
    endpoint.sin_addr.s_addr = ::htonl(address);
    return endpoint;
}

// An unbound UDP socket allowed to broadcast; an invalid one, and `error`, when it cannot be had.
UniqueSocket BroadcastSocket(int& error)
{
    UniqueSocket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    const DWORD broadcast = 1;
    if (!socket || ::setsockopt(socket.get(), SOL_SOCKET, SO_BROADCAST,
                                reinterpret_cast<const char*>(&broadcast), sizeof broadcast) != 0)
    {
        error = ::WSAGetLastError(); // before closing, which may change it
        socket.reset();
    }
    return socket;
}

// The receive still outstanding when reception ends. The system may write into the buffer, the sender
// address and the overlapped block until the receive has really ended, so it is cancelled and waited for
// before they go away. A receive that cannot be cancelled is aborted by closing its socket; the wait is on
// the event, which the system sets however the receive ends.
class OutstandingReceive
{
public:
    OutstandingReceive(UniqueSocket& socket, WSAOVERLAPPED& overlapped) noexcept
        : socket(socket), overlapped(overlapped)
    {
    }
    ~OutstandingReceive() { Abandon(); }
    OutstandingReceive(const OutstandingReceive&) = delete;
    OutstandingReceive& operator=(const OutstandingReceive&) = delete;

    void Arm() noexcept { armed = true; }
    void Disarm() noexcept { armed = false; }

private:
    void Abandon() noexcept
    {
        if (!armed)
            return;
        // A receive that completed meanwhile is not found, which is as good as cancelled.
        if (!::CancelIoEx(reinterpret_cast<HANDLE>(socket.get()), &overlapped) &&
            ::GetLastError() != ERROR_NOT_FOUND)
            socket.reset();
        ::WaitForSingleObject(overlapped.hEvent, INFINITE);
        armed = false;
    }

    UniqueSocket& socket;
    WSAOVERLAPPED& overlapped;
    bool armed = false;
};

} // namespace

// The sockets a search probes through, and where each sends the probe in every round.
class DeviceSearcher::ProbeSenders
{
public:
    struct Sender
    {
        UniqueSocket socket;
        std::vector<sockaddr_in> destinations;
        std::optional<NetworkAdapter> adapter; // none for the unbound sockets
        bool byAddress = false;                // the probes to the controllers given by address
        std::vector<int> errors;               // of the last round, one per destination; 0 where it went out

        int FirstError() const
        {
            const auto failed =
                std::find_if(errors.begin(), errors.end(), [](int error) { return error != 0; });
            return failed == errors.end() ? 0 : *failed;
        }
    };

    std::vector<Sender> senders;

    // The addresses of the ranges, each range's own ending at its entry of `rangeEnds`; they are probed one
    // at a time as they fall due, by the socket of the probes by address, `nextRangeProbe` counting every
    // probe of every round. What the first round could not send is counted per range.
    std::vector<std::uint32_t> rangeAddresses;
    std::vector<std::size_t> rangeEnds;
    std::vector<UnprobedRange> rangeFailures;
    std::size_t nextRangeProbe = 0;
    SOCKET rangeSocket = INVALID_SOCKET;
    u_short port = 0;

    // Sends the range probe that is due; the first round's failures are noted.
    void SendRangeProbe()
    {
        const std::size_t index = nextRangeProbe % rangeAddresses.size();
        const sockaddr_in to = Endpoint(rangeAddresses[index], port);
        const bool sent =
            ::sendto(rangeSocket, DiscoveryProbe.data(), static_cast<int>(DiscoveryProbe.size()), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to) != SOCKET_ERROR;
        if (!sent && nextRangeProbe < rangeAddresses.size())
        {
            const int error = ::WSAGetLastError();
            const auto range =
                std::upper_bound(rangeEnds.begin(), rangeEnds.end(), index) - rangeEnds.begin();
            UnprobedRange& failed = rangeFailures[static_cast<std::size_t>(range)];
            if (failed.unsent++ == 0)
                failed.error = error;
        }
        ++nextRangeProbe;
    }

    // Sends one round: each sender to each of its destinations.
    void SendRound()
    {
        for (Sender& sender : senders)
        {
            sender.errors.clear();
            for (const sockaddr_in& to : sender.destinations)
            {
                const bool sent = ::sendto(sender.socket.get(), DiscoveryProbe.data(),
                                           static_cast<int>(DiscoveryProbe.size()), 0,
                                           reinterpret_cast<const sockaddr*>(&to), sizeof to) != SOCKET_ERROR;
                sender.errors.push_back(sent ? 0 : ::WSAGetLastError());
            }
        }
    }

    // Whether any probe of the last round went out.
    bool AnySent() const
    {
        return std::any_of(senders.begin(), senders.end(), [](const Sender& sender) {
            return std::find(sender.errors.begin(), sender.errors.end(), 0) != sender.errors.end();
        });
    }
};

// One search's reception: the buffer and the sender's address that the one outstanding receive writes
// into, which live until `outstanding` has ended it, and the time-keeping of the rounds and of the end.
struct DeviceSearcher::Reception
{
    // Replies that arrived in time but wait in the socket's buffer still count: at its time the search
    // takes what is already there, for DrainMs at most, and nothing that comes later.
    static constexpr DWORD DrainMs = 250;

    Reception(UniqueSocket& receiver, WSAOVERLAPPED& overlapped, DWORD timeoutMs, int probeRounds,
              const SearchGoal& goal)
        : deadline(::GetTickCount(), timeoutMs), rounds(std::max(probeRounds, 1)), goal(goal),
          outstanding(receiver, overlapped)
    {
    }

    // A valid reply from this address, handled at tick `now`.
    void Heard(std::uint32_t address, DWORD now)
    {
        if (goal.Heard(address))
            goalReached = now;
    }
    // How long the search still listens once its goal is reached: 0 when it is to end now, Unbounded
    // while the goal is not reached.
    DWORD AfterGoal(DWORD now) const
    {
        if (!goalReached)
            return SearchDeadline::Unbounded;
        const DWORD since = now - *goalReached;
        return since >= SearchGoalProgress::ListenAfterGoalMs ? 0
                                                              : SearchGoalProgress::ListenAfterGoalMs - since;
    }

    // Whether the search time is up at tick `now`; the drain begins then.
    bool IsOver(DWORD now)
    {
        const bool over = !deadline.IsUnbounded() && deadline.Remaining(now) == 0;
        if (over && !drainStart)
            drainStart = now;
        return over;
    }
    bool IsDrained(DWORD now) const { return drainStart && now - *drainStart >= DrainMs; }

    const SearchDeadline deadline;
    const int rounds;
    SearchGoalProgress goal;
    std::optional<DWORD> goalReached;
    int nextRound = 1; // the first went out before reception began
    bool posted = false;
    std::optional<DWORD> drainStart;
    std::vector<char> buffer = std::vector<char>(ReceiveBufferSize);
    sockaddr_in from{};
    INT fromLength = sizeof from;
    DWORD flags = 0;
    // Last, so that it ends the receive before what the receive writes into goes away.
    OutstandingReceive outstanding;
};

DeviceSearcher::DeviceSearcher()
    : DeviceSearcher(UniqueWsaEvent(::WSACreateEvent()), UniqueWsaEvent(::WSACreateEvent()))
{
}

DeviceSearcher::DeviceSearcher(UniqueWsaEvent cancel, UniqueWsaEvent receive)
    : cancelEvent(std::move(cancel)), receiveEvent(std::move(receive))
{
    overlapped.hEvent = receiveEvent.get();
}

DeviceSearcher::~DeviceSearcher() = default;

void DeviceSearcher::Cancel() noexcept
{
    ::WSASetEvent(cancelEvent.get());
}

void DeviceSearcher::ResetCancel() noexcept
{
    ::WSAResetEvent(cancelEvent.get());
}

bool DeviceSearcher::IsCancelled() const noexcept
{
    return ::WaitForSingleObject(cancelEvent.get(), 0) == WAIT_OBJECT_0;
}

void DeviceSearcher::Search()
{
    found.clear();
    unsent.clear();
    unprobed.clear();
    if (sink)
        sink->OnSearchBegin();
    // Without its events a search could neither be cancelled nor wait for its receive to end before the
    // receive's buffer goes away.
    if (!cancelEvent || !receiveEvent)
    {
        if (sink)
            sink->OnSocketError(WSA_INVALID_HANDLE);
        return;
    }
    if (IsCancelled())
        return;

    ProbeSenders probes;
    UniqueSocket receiver;
    std::vector<ProbedAdapter> probed;
    if (const int error = Begin(probes, receiver, probed); error != 0)
    {
        // The sockets opened so far are closed before the error is reported.
        receiver.reset();
        probes.senders.clear();
        if (sink)
            sink->OnSocketError(error);
        return;
    }
    if (sink)
    {
        for (const ProbedAdapter& adapter : probed)
            sink->OnAdapterProbed(adapter);
        sink->OnProbeSent();
    }
    state = 1;
    const Outcome outcome = Receive(receiver, probes);
    Close(receiver, probes);
    if (outcome == Outcome::Completed && sink)
        sink->OnSearchEnd();
}

// Opens the senders and the receiver and sends the first round; the Windows Sockets error that keeps the
// search from beginning, 0 when it can.
int DeviceSearcher::Begin(ProbeSenders& probes, UniqueSocket& receiver, std::vector<ProbedAdapter>& probed)
{
    int error = OpenSenders(probes, probed);
    if (error == 0)
        error = OpenReceiver(receiver);
    if (error == 0)
        error = SendFirstRound(probes, probed);
    return error;
}

void DeviceSearcher::Close(UniqueSocket& receiver, ProbeSenders& probes)
{
    for (const UnprobedRange& range : probes.rangeFailures)
    {
        if (range.unsent > 0)
            unprobed.push_back(range);
    }
    ::shutdown(receiver.get(), SD_RECEIVE);
    receiver.reset();
    for (ProbeSenders::Sender& sender : probes.senders)
        ::shutdown(sender.socket.get(), SD_SEND);
    probes.senders.clear();
}

// A socket for each way the probe goes out: the broadcast the system routes (unless the search keeps to
// one adapter), the probes to the controllers given by address, and one socket bound to each adapter. An
// adapter that cannot be used (it went down meanwhile, say) joins `probed` with its error and does not cost
// the others. The Windows Sockets error that keeps the search from beginning, 0 when it can.
int DeviceSearcher::OpenSenders(ProbeSenders& probes, std::vector<ProbedAdapter>& probed) const
{
    const auto unbound = [&probes](std::vector<sockaddr_in> destinations, bool byAddress) {
        if (destinations.empty())
            return 0;
        int error = 0;
        ProbeSenders::Sender sender{
            BroadcastSocket(error), std::move(destinations), std::nullopt, byAddress, {}};
        if (sender.socket)
            probes.senders.push_back(std::move(sender));
        return error;
    };
    std::vector<sockaddr_in> targets;
    for (const std::uint32_t target : unicastTargets)
        targets.push_back(Endpoint(target, sendPort));
    if (adapterAddress == 0 && broadcast)
    {
        if (const int error = unbound({Endpoint(INADDR_BROADCAST, sendPort)}, false); error != 0)
            return error;
    }
    if (const int error = unbound(std::move(targets), true); error != 0)
        return error;
    if (const int error = OpenRangeSender(probes); error != 0)
        return error;

    if (!broadcast)
        return 0;
    std::vector<NetworkAdapter> adapters = UpAdapters();
    if (adapterAddress != 0)
    {
        std::erase_if(adapters,
                      [this](const NetworkAdapter& adapter) { return adapter.address != adapterAddress; });
        if (adapters.empty())
            return WSAEADDRNOTAVAIL;
    }
    for (NetworkAdapter& adapter : adapters)
    {
        int error = 0;
        ProbeSenders::Sender through{BroadcastSocket(error), {}, adapter, false, {}};
        const sockaddr_in own = Endpoint(adapter.address, 0);
        if (through.socket &&
            ::bind(through.socket.get(), reinterpret_cast<const sockaddr*>(&own), sizeof own) != 0)
        {
            error = ::WSAGetLastError();
            through.socket.reset();
        }
        if (!through.socket)
        {
            probed.push_back(ProbedAdapter{std::move(adapter), error});
            continue;
        }
        through.destinations.push_back(Endpoint(INADDR_BROADCAST, sendPort));
        if (const std::uint32_t directed = adapter.DirectedBroadcast(); directed != 0)
            through.destinations.push_back(Endpoint(directed, sendPort));
        probes.senders.push_back(std::move(through));
    }
    return 0;
}

// The ranges' addresses, and the socket they are probed through: that of the probes by address, or one of
// their own when no controller is given by address.
int DeviceSearcher::OpenRangeSender(ProbeSenders& probes) const
{
    probes.port = sendPort;
    probes.rangeAddresses = RangeAddresses(unicastRanges, unicastTargets, &probes.rangeEnds);
    if (probes.rangeAddresses.empty())
        return 0;
    for (std::size_t index = 0; index < unicastRanges.size(); ++index)
    {
        const std::size_t begin = index == 0 ? 0 : probes.rangeEnds[index - 1];
        probes.rangeFailures.push_back(
            UnprobedRange{unicastRanges[index], probes.rangeEnds[index] - begin, 0, 0});
    }
    const auto byAddress = std::find_if(probes.senders.begin(), probes.senders.end(),
                                        [](const ProbeSenders::Sender& sender) { return sender.byAddress; });
    if (byAddress != probes.senders.end())
    {
        probes.rangeSocket = byAddress->socket.get();
        return 0;
    }
    int error = 0;
    ProbeSenders::Sender sender{BroadcastSocket(error), {}, std::nullopt, true, {}};
    if (!sender.socket)
        return error;
    probes.rangeSocket = sender.socket.get();
    probes.senders.push_back(std::move(sender));
    return 0;
}

// The one socket every reply arrives on; 0, or the Windows Sockets error (the reply port is taken, say).
int DeviceSearcher::OpenReceiver(UniqueSocket& receiver) const
{
    receiver.reset(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!receiver)
        return ::WSAGetLastError();
    // Best effort: with the default buffer the search still works, it only loses more of a burst.
    if (receiveBufferBytes > 0)
        ::setsockopt(receiver.get(), SOL_SOCKET, SO_RCVBUF,
                     reinterpret_cast<const char*>(&receiveBufferBytes), sizeof receiveBufferBytes);
    const sockaddr_in local = Endpoint(INADDR_ANY, recvPort);
    if (::bind(receiver.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return ::WSAGetLastError();
    return 0;
}

// Sends the first round and notes what could not go out: each adapter's error, and each controller given
// by address that the system would not send to (no route to it, say). A probe that cannot be sent costs
// its own destination only, so the search goes on as long as one probe went out; when none did, the first
// error says why.
int DeviceSearcher::SendFirstRound(ProbeSenders& probes, std::vector<ProbedAdapter>& probed)
{
    probes.SendRound();
    int firstError = 0;
    for (const ProbeSenders::Sender& sender : probes.senders)
    {
        if (firstError == 0)
            firstError = sender.FirstError();
        if (sender.adapter)
            probed.push_back(ProbedAdapter{*sender.adapter, sender.FirstError()});
        for (std::size_t index = 0; sender.byAddress && index < sender.errors.size(); ++index)
        {
            if (sender.errors[index] != 0)
                unsent.push_back(
                    UnsentProbe{::ntohl(sender.destinations[index].sin_addr.s_addr), sender.errors[index]});
        }
    }
    if (probes.AnySent())
        return 0;
    for (const ProbedAdapter& adapter : probed)
    {
        if (firstError == 0)
            firstError = adapter.error;
    }
    return firstError;
}

DeviceSearcher::Outcome DeviceSearcher::Receive(UniqueSocket& receiver, ProbeSenders& probes)
{
    Reception reception(receiver, overlapped, timeoutMs, probeRounds, goal);
    for (;;)
    {
        // Whatever arrives, empty or too long, the search ends at its time: a steady stream of datagrams
        // would otherwise keep every wait from timing out.
        const DWORD now = ::GetTickCount();
        // Nothing that waits in the buffer then is needed any more: the search had what it was for.
        if (reception.AfterGoal(now) == 0)
            return Outcome::Completed;
        const bool over = reception.IsOver(now);
        if (over && reception.IsDrained(now))
            return Outcome::Completed;
        if (!over)
            SendDueRounds(reception, probes, now);
        if (!reception.posted)
        {
            const Posted posted = PostReceive(receiver.get(), reception);
            if (posted == Posted::Again)
                continue;
            if (posted == Posted::Failed)
                return Outcome::Failed;
        }
        if (const std::optional<Outcome> ended = Wait(receiver.get(), reception, probes, over))
            return *ended;
    }
}

void DeviceSearcher::SendDueRounds(Reception& reception, ProbeSenders& probes, DWORD now)
{
    while (reception.deadline.UntilRound(reception.nextRound, reception.rounds, now) == 0)
    {
        probes.SendRound(); // a later round that cannot go out loses only what the first one found
        ++reception.nextRound;
    }
    SendDueRangeProbes(reception, probes, now);
}

// A wait that ends late sends what fell due meanwhile at once: the pace holds on average, and no range
// probe goes out before its time.
void DeviceSearcher::SendDueRangeProbes(Reception& reception, ProbeSenders& probes, DWORD now)
{
    const std::size_t addresses = probes.rangeAddresses.size();
    while (reception.deadline.UntilRangeProbe(probes.nextRangeProbe, addresses, reception.rounds, now) == 0)
        probes.SendRangeProbe();
}

DeviceSearcher::Posted DeviceSearcher::PostReceive(SOCKET socket, Reception& reception)
{
    WSABUF slice{static_cast<ULONG>(reception.buffer.size()), reception.buffer.data()};
    reception.flags = 0;
    reception.fromLength = sizeof reception.from;
    const HANDLE event = overlapped.hEvent;
    overlapped = WSAOVERLAPPED{};
    overlapped.hEvent = event;
    ::WSAResetEvent(event);
    if (::WSARecvFrom(socket, &slice, 1, nullptr, &reception.flags,
                      reinterpret_cast<sockaddr*>(&reception.from), &reception.fromLength, &overlapped,
                      nullptr) != 0)
    {
        const int error = ::WSAGetLastError();
        // A long datagram already waiting fails the receive at once; it is gone, and so is the failure.
        if (error == WSAEMSGSIZE)
            return Posted::Again;
        // Nothing could end a wait for this receive but the deadline or a cancel, so the search ends now
        // rather than waiting for either.
        if (error != WSA_IO_PENDING)
            return Posted::Failed;
    }
    reception.outstanding.Arm();
    reception.posted = true;
    return Posted::Outstanding;
}

std::optional<DeviceSearcher::Outcome> DeviceSearcher::Wait(SOCKET socket, Reception& reception,
                                                            const ProbeSenders& probes, bool over)
{
    const WSAEVENT events[] = {cancelEvent.get(), receiveEvent.get()};
    const DWORD now = ::GetTickCount();
    const DWORD wait =
        over ? 0
             : std::min({reception.deadline.Remaining(now),
                         reception.deadline.UntilRound(reception.nextRound, reception.rounds, now),
                         reception.deadline.UntilRangeProbe(
                             probes.nextRangeProbe, probes.rangeAddresses.size(), reception.rounds, now),
                         static_cast<std::uint32_t>(reception.AfterGoal(now))});
    DWORD woken;
    do
        woken = ::WSAWaitForMultipleEvents(2, events, FALSE, wait, TRUE);
    while (woken == WSA_WAIT_IO_COMPLETION);
    if (woken == WSA_WAIT_EVENT_0)
        return Outcome::Cancelled;
    if (woken == WSA_WAIT_TIMEOUT && over)
        return Outcome::Completed; // nothing more is waiting
    if (woken == WSA_WAIT_TIMEOUT)
        return std::nullopt; // the end of the search, or the next round
    if (woken != WSA_WAIT_EVENT_0 + 1)
        return Outcome::Failed; // a wait that fails once fails again: going on would spin
    return TakeDatagram(socket, reception);
}

std::optional<DeviceSearcher::Outcome> DeviceSearcher::TakeDatagram(SOCKET socket, Reception& reception)
{
    DWORD bytes = 0;
    const BOOL received = ::WSAGetOverlappedResult(socket, &overlapped, &bytes, TRUE, &reception.flags);
    reception.outstanding.Disarm();
    reception.posted = false;
    if (!received && ::WSAGetLastError() == WSAEMSGSIZE)
        return std::nullopt; // too long for any controller: a stray datagram must not hide the site
    if (!received)
        return Outcome::Failed;
    if (bytes == 0)
        return std::nullopt;

    std::array<std::uint8_t, 4> senderBytes{};
    static_assert(sizeof reception.from.sin_addr == senderBytes.size());
    std::memcpy(senderBytes.data(), &reception.from.sin_addr, senderBytes.size());
    const std::size_t before = found.size();
    OnDatagram(senderBytes, reinterpret_cast<const std::uint8_t*>(reception.buffer.data()), bytes);
    if (found.size() > before)
        reception.Heard(found.back().address, ::GetTickCount());
    if (reception.deadline.IsUnbounded())
        return Outcome::Completed; // the first datagram with bytes ends an unbounded search
    return std::nullopt;
}

void DeviceSearcher::OnDatagram(const std::array<std::uint8_t, 4>& senderBytes, const std::uint8_t* data,
                                std::size_t length)
{
    if (state != 1)
    {
        if (sink)
            sink->OnForeignDatagram(senderBytes, data, length);
        return;
    }
    std::optional<DiscoveryReply> parsed = ParseDiscoveryReply(data, length);
    if (!parsed)
        return;

    SearchReply reply;
    reply.sender = senderBytes;
    reply.address = std::uint32_t{senderBytes[0]} << 24 | std::uint32_t{senderBytes[1]} << 16 |
                    std::uint32_t{senderBytes[2]} << 8 | std::uint32_t{senderBytes[3]};
    reply.port = parsed->port;
    reply.text = std::to_wstring(senderBytes[0]) + L'.' + std::to_wstring(senderBytes[1]) + L'.' +
                 std::to_wstring(senderBytes[2]) + L'.' + std::to_wstring(senderBytes[3]) + L':' +
                 std::to_wstring(reply.port);
    reply.first = parsed->first;
    reply.second = parsed->second;
    reply.third = parsed->third;
    reply.name = FromCodePage(CP_ACP, parsed->name);
    if (sink)
        sink->OnReply(reply);
    found.push_back(DiscoveredController{reply.address, reply.port, std::move(reply.name)});
}

} // namespace OM::Norvatessa
