#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace OM::Norvatessa
{

// The probe that the workstation broadcasts: 13 bytes, no terminating zero. A controller's reply starts
// with the first ten of them.
inline constexpr std::array<char, 13> DiscoveryProbe{'n', 'o', 'r', 'v', 'a', 't', 'e',
                                                     's', 's', 'a', '?', '?', '?'};
inline constexpr std::size_t DiscoveryReplyPrefixLength = 10;
// Prefix, the three digits with their separators, five bytes we do not read, and the HTTP port.
inline constexpr std::size_t DiscoveryReplyHeaderLength = 22;
// The UDP port of the workstation that the controllers send their replies to, whatever port the probe
// left from: every search receives on it, and a firewall must let it in.
inline constexpr std::uint16_t DiscoveryReplyPort = 30303;

// A controller's answer to the probe, read from the datagram and nothing else: the sender's address comes
// from the socket, and the name stays in the 8-bit code page the controller sent it in, because only the
// Windows side knows the workstation's ANSI code page.
struct DiscoveryReply
{
    std::uint16_t port = 0; // HTTP port, bytes 20 (high) and 21 (low)
    int first = 0;          // the digits at bytes 10, 12 and 14; a byte that is no digit counts as 0
    int second = 0;
    int third = 0;
    std::string name; // from byte 22 up to the first zero byte or the end of the datagram
};

// Reads a datagram received on the reply port. Returns nothing for a datagram that is no reply: shorter
// than the header, or not starting with the probe's prefix. Any other datagram is a reply, whatever the
// bytes that are not interpreted hold. Pure: safe on any bytes and any length.
std::optional<DiscoveryReply> ParseDiscoveryReply(const unsigned char* data, std::size_t length);

} // namespace OM::Norvatessa
