#pragma once

#include "engine/DeviceSearcher.h"

#include <cstdint>
#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

// Writes down every report of a search in order, so that a test can compare the whole course of a search
// with what it expects ("begin", "probe", "reply 127.0.0.2:80", "end", "error 10048", ...).
class RecordingSink final : public DeviceSearcher::NotificationSink
{
public:
    void OnSearchBegin() override { events.push_back("begin"); }
    void OnSearchEnd() override { events.push_back("end"); }
    void Reserved() override { events.push_back("reserved"); }
    void OnProbeSent() override { events.push_back("probe"); }
    void OnForeignDatagram(const std::array<std::uint8_t, 4>&, const std::uint8_t*,
                           std::size_t length) override
    {
        events.push_back("foreign " + std::to_string(length));
    }
    void OnReply(const SearchReply& reply) override
    {
        events.push_back("reply " + std::string(reply.text.begin(), reply.text.end()));
        replies.push_back(reply);
    }
    void OnSocketError(std::int32_t error) override { events.push_back("error " + std::to_string(error)); }
    void OnAdapterProbed(const ProbedAdapter& probed) override { adapters.push_back(probed); }

    std::vector<std::string> events;
    std::vector<SearchReply> replies;
    std::vector<ProbedAdapter> adapters;
};

} // namespace OM::Norvatessa::Testing
