#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Simulator
{

// Where a site's controllers live: the network they belong to and the first address they take, upwards.
// The loopback site of the workstation's own namespace starts at 127.0.0.2 in 127.0.0.0/8 (127.0.0.1 is
// the workstation's); a segment of the test topology starts above the addresses of the segment's own
// interfaces, and only the addresses from there on are local in the segment's namespace.
struct SiteNetwork
{
    std::uint32_t first = 0x7F000002; // host order
    int prefixLength = 8;

    // "A.B.C.D/N", the first address and the network's prefix length.
    static std::optional<SiteNetwork> Parse(std::string_view text);

    std::uint32_t mask() const { return prefixLength == 0 ? 0 : ~std::uint32_t{0} << (32 - prefixLength); }
    std::uint32_t base() const { return first & mask(); }
    std::uint32_t broadcast() const { return base() | ~mask(); }
    // A controller's default gateway: the network's first host, the workstation or the router.
    std::uint32_t gateway() const { return base() + 1; }
    bool Contains(std::uint32_t address) const { return (address & mask()) == base(); }
    // Whether a controller may have this address: from the first upwards, short of the broadcast address.
    bool Assignable(std::uint32_t address) const
    {
        return Contains(address) && address >= first && address != broadcast();
    }
    std::string Describe() const; // "127.0.0.0/8"
};

} // namespace Simulator
