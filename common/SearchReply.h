#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace OM::Norvatessa
{

// Everything one valid discovery reply said, as handed to DeviceSearcher::NotificationSink::OnReply.
struct SearchReply
{
    std::array<std::uint8_t, 4> sender{}; // the sender's IPv4 address as received, network order
    std::wstring text;                    // "a.b.c.d:port"
    std::uint32_t address = 0;            // the sender, first dotted number in the top byte
    std::uint16_t port = 0;               // the controller's HTTP port
    std::int32_t first = 0;               // the three digits of the reply
    std::int32_t second = 0;
    std::int32_t third = 0;
    std::wstring name; // converted from the workstation's ANSI code page
};

} // namespace OM::Norvatessa
