#include "engine/AddressProbe.h"

#include "engine/DeviceSearcher.h"
#include "engine/NetworkAdapters.h"
#include "helpers/UniqueHandle.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <algorithm>
#include <memory>

namespace OM::Norvatessa
{

namespace
{

struct IcmpHandleTraits
{
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) noexcept { ::IcmpCloseHandle(handle); }
};
using UniqueIcmpHandle = Helpers::UniqueResource<IcmpHandleTraits>;

// One echo on its way: the system writes its reply into `reply` and then sets `done`, so the record
// lives until `done` is set, whatever the caller does meanwhile.
struct Echo
{
    static constexpr char Data[] = "norvatessa";
    // The reply record, the echoed data, the 8 bytes of an ICMP error and the status block (two pointers)
    // the system keeps after them, with room to spare.
    static constexpr DWORD ReplySize = sizeof(ICMP_ECHO_REPLY) + sizeof Data + 8 + 2 * sizeof(void*) + 64;

    std::uint32_t address = 0;
    Helpers::UniqueHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    alignas(ICMP_ECHO_REPLY) unsigned char reply[ReplySize]{};
    bool sent = false;

    bool Answered()
    {
        if (!sent || ::IcmpParseReplies(reply, ReplySize) == 0)
            return false;
        const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply);
        // A router's "unreachable" is a reply too, but from the router and with another status.
        return echo->Status == IP_SUCCESS && ::ntohl(echo->Address) == address;
    }
};

// Sends an echo to every address at once; the records, whose events are set as each echo ends.
std::vector<std::unique_ptr<Echo>> SendEchoes(HANDLE icmp, const std::vector<std::uint32_t>& addresses)
{
    std::vector<std::unique_ptr<Echo>> echoes;
    for (const std::uint32_t address : addresses)
    {
        auto echo = std::make_unique<Echo>();
        echo->address = address;
        if (!echo->done)
            continue;
        const DWORD sent = ::IcmpSendEcho2(icmp, echo->done.get(), nullptr, nullptr, ::htonl(address),
                                           const_cast<char*>(Echo::Data), sizeof Echo::Data, nullptr,
                                           echo->reply, Echo::ReplySize, EchoTimeoutMs);
        // Sent on its way, an echo returns 0 with ERROR_IO_PENDING; any other 0 sent nothing.
        echo->sent = sent != 0 || ::GetLastError() == ERROR_IO_PENDING;
        if (echo->sent)
            echoes.push_back(std::move(echo));
    }
    return echoes;
}

// Waits until every echo has ended: true, or false when the system has not ended one well past its time
// (it may still write into the records then).
bool AwaitEchoes(const std::vector<std::unique_ptr<Echo>>& echoes)
{
    const ULONGLONG giveUp = ::GetTickCount64() + EchoTimeoutMs + 4000;
    for (std::size_t first = 0; first < echoes.size(); first += MAXIMUM_WAIT_OBJECTS)
    {
        std::vector<HANDLE> events;
        for (std::size_t index = first; index < std::min(echoes.size(), first + MAXIMUM_WAIT_OBJECTS);
             ++index)
            events.push_back(echoes[index]->done.get());
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= giveUp ? 0 : static_cast<DWORD>(giveUp - now);
        if (::WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), TRUE, left) ==
            WAIT_TIMEOUT)
            return false;
    }
    return true;
}

// The addresses where a controller answered the discovery probe within the echo's time.
std::vector<std::uint32_t> ProbeControllers(const std::vector<std::uint32_t>& addresses,
                                            std::uint16_t probePort)
{
    DeviceSearcher searcher;
    searcher.sendPort = probePort;
    searcher.broadcast = false;
    searcher.unicastTargets = addresses;
    searcher.timeoutMs = EchoTimeoutMs;
    searcher.Search();
    std::vector<std::uint32_t> heard;
    for (const DiscoveredController& controller : searcher.Found())
        heard.push_back(controller.address);
    return heard;
}

} // namespace

std::map<std::uint32_t, AddressSkip> ProbeAddresses(const std::vector<std::uint32_t>& addresses,
                                                    std::uint16_t probePort)
{
    std::map<std::uint32_t, AddressSkip> answered;
    if (addresses.empty())
        return answered;
    UniqueIcmpHandle icmp(::IcmpCreateFile());
    std::vector<std::unique_ptr<Echo>> echoes;
    if (icmp)
        echoes = SendEchoes(icmp.get(), addresses);
    // The probe's second runs while the echoes are on their way.
    for (const std::uint32_t address : ProbeControllers(addresses, probePort))
    {
        if (std::find(addresses.begin(), addresses.end(), address) != addresses.end())
            answered[address] = AddressSkip::AnswersProbe;
    }
    if (!AwaitEchoes(echoes))
    {
        // The system still holds these records and the handle: they stay theirs until the process ends.
        for (std::unique_ptr<Echo>& echo : echoes)
            echo.release();
        icmp.release();
        return answered;
    }
    for (const std::unique_ptr<Echo>& echo : echoes)
    {
        if (echo->Answered())
            answered.emplace(echo->address, AddressSkip::AnswersEcho);
    }
    return answered;
}

AddressPlan ProbeAndPlan(const AddressRequest& request, AddressSurroundings surroundings,
                         std::uint16_t probePort)
{
    surroundings.adapters = UpAdapters();
    AddressPlan plan = PlanAddresses(request, surroundings);
    for (int round = 0; round < MostProbeRounds && !plan.unprobed.empty(); ++round)
    {
        surroundings.answered.merge(ProbeAddresses(plan.unprobed, probePort));
        surroundings.probed.insert(plan.unprobed.begin(), plan.unprobed.end());
        plan = PlanAddresses(request, surroundings);
    }
    return plan;
}

} // namespace OM::Norvatessa
