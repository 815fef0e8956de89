#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace OM::Norvatessa
{

// A run of consecutive addresses that a search probes one by one, for a subnet behind a router whose
// controllers no broadcast reaches: "A.B.C.D-A.B.C.E", both ends included, or "A.B.C.D/NN", the subnet
// without its network and broadcast addresses (a /31 or /32 has neither). A subnet may be written with
// any of its addresses, as "ipconfig" shows it: 10.1.0.17/24 is 10.1.0.1 to 10.1.0.254.
struct AddressRange
{
    // No range holds more: each address is probed in every round of a search, and a larger one would
    // keep the search busy for long, or flood a network that is not the user's.
    static constexpr std::size_t MostAddresses = 4096;

    std::uint32_t first = 0;
    std::uint32_t last = 0;
    int prefixLength = -1; // of a range written "/NN"; -1 for "A-B"

    std::size_t Count() const noexcept { return std::size_t{last - first} + 1; }
    bool Contains(std::uint32_t address) const noexcept { return address >= first && address <= last; }
    friend bool operator==(const AddressRange&, const AddressRange&) = default;
};

// Why a text is no range: it is no range at all (or holds 0.0.0.0 or 255.255.255.255, which no controller
// has); it holds more than MostAddresses (`count` of them); or its end lies below its start.
enum class RangeProblem
{
    Malformed,
    TooLarge,
    Reversed,
};
struct RangeRefusal
{
    RangeProblem problem = RangeProblem::Malformed;
    std::uint64_t count = 0;
};

// Whether the text is written as a range: it holds "-" or "/" (a single address or "A.B.C.D:PORT" does
// not).
bool LooksLikeRange(std::wstring_view text);
std::variant<AddressRange, RangeRefusal> ParseAddressRange(std::wstring_view text);
// As the user writes it: "10.1.0.0/24" (the subnet's own address), "10.1.0.5-10.1.0.40".
std::wstring RangeText(const AddressRange& range);

// Every address of the ranges once, in the order given, each range upwards, leaving out `besides` (the
// controllers probed by address already). With `ends`, where each range's addresses end among them.
std::vector<std::uint32_t> RangeAddresses(const std::vector<AddressRange>& ranges,
                                          const std::vector<std::uint32_t>& besides = {},
                                          std::vector<std::size_t>* ends = nullptr);

// A range some of whose probes the system refused to send in a search's first round: `unsent` of the
// `addresses` the search probed it at (those not probed as controllers given alone, nor in a range before
// it), the first for the Windows Sockets error `error` (WSAENETUNREACH where the workstation has no route
// there).
struct UnprobedRange
{
    AddressRange range;
    std::size_t addresses = 0;
    std::size_t unsent = 0;
    std::int32_t error = 0;
};

} // namespace OM::Norvatessa
