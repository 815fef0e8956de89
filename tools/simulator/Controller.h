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

// How a controller's configuration service behaves: properly, or in one of the ways a workstation must
// survive. See README.md.
enum class HttpMode
{
    Ok,
    Refuse,        // no listener: connecting is refused
    Stall,         // reads requests and never answers them
    Cut,           // every answer stops half-way through its body, and the connection closes
    Unauthorized,  // 401 whatever the credentials
    NotFound,      // 404 for everything
    ServerError,   // 500 for everything
    Huge,          // documents padded past 16,000 bytes
    OtherAddress,  // the document read names another address
    ChangeOkUpper, // a posted document is answered change="OK" and not applied
    Drip,          // every answer goes out one byte at a time
    Close,         // every answer says "Connection: close", and the connection closes after it
    Hangup,        // reads a request, then closes the connection without answering
    Unaccepted,    // listens but never accepts: a connection attempt is never answered
    Redirect,      // 302 to everything, to the same place at the next address
};

struct Credentials
{
    std::string login; // bytes, in Windows-1251
    std::string password;
};

using MacAddress = std::array<std::uint8_t, 6>;

// One simulated controller: its settings, which its configuration document shows and changes, and how it
// behaves on the network.
struct Controller
{
    // Bit 0 of the flags switches the buzzer on; bit 1 makes the configuration service ask for the admin
    // password.
    static constexpr std::uint8_t AskPasswordFlag = 2;

    Controller() = default;
    // A controller with the factory settings, at the given address; the last three bytes of its MAC
    // address are those of its IP address, so that every controller on the site has its own.
    explicit Controller(std::uint32_t at)
        : address(at), mac{0x00,
                           0x1A,
                           0x2B,
                           static_cast<std::uint8_t>(at >> 16),
                           static_cast<std::uint8_t>(at >> 8),
                           static_cast<std::uint8_t>(at)}
    {
    }

    // In the site's network, host order: the replies come from it, and its configuration service listens
    // on it.
    std::uint32_t address = 0;
    std::string name; // the bytes sent, in Windows-1251 unless given raw
    std::uint16_t httpPort = 80;

    std::uint32_t mask = 0xFF000000; // the site's network gives both
    std::uint32_t gateway = 0x7F000001;
    MacAddress mac{0x00, 0x1A, 0x2B, 0, 0, 0};
    std::uint8_t sensorTypes = 0;     // one bit per input
    std::uint8_t sensorInversion = 0; // one bit per input
    Credentials admin{"admin", "admin"};
    Credentials user{"user", "user"};
    std::uint8_t flags = 0;

    HttpMode httpMode = HttpMode::Ok;
    int dripMs = 50;  // between the bytes of an answer in the Drip mode
    int answerMs = 0; // from a request to its answer, in every mode that answers: a slow controller

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
