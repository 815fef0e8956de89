#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Simulator
{

// What a controller sends when it answers a probe: a proper reply, or one of the broken datagrams a
// workstation must survive.
enum class ReplyKind
{
    Reply,        // header and name, with a terminating zero
    Unterminated, // header and name, the name running to the end of the datagram
    Short,        // one byte short of the header
    WrongPrefix,  // the tenth byte of the prefix differs
    Empty,        // no bytes at all
    Oversized,    // a proper reply padded past any 4096-byte buffer
};

// One simulated controller and how it behaves on the network.
struct Controller
{
    std::uint32_t address = 0; // in 127.0.0.0/8, host order; the replies come from it
    std::string name;          // the bytes sent, in Windows-1251 unless given raw
    std::uint16_t httpPort = 80;
    std::array<char, 3> digits{'1', '2', '3'};
    ReplyKind kind = ReplyKind::Reply;
    int delayMs = 0;     // from the probe to the first reply
    int spreadMs = 0;    // plus a random share of this, drawn anew for every probe
    int lossPercent = 0; // chance that a reply is not sent
    int copies = 1;      // replies per probe
    int gapMs = 20;      // between copies
    std::size_t oversizedLength = 5000;
};

} // namespace Simulator
