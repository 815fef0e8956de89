#pragma once

#include <cstddef>
#include <cstdint>

namespace OM::Norvatessa
{

// The time-keeping of one discovery search on a 32-bit millisecond tick counter, which wraps to zero
// every 49.7 days. Time is measured as ticks elapsed since the start, in unsigned arithmetic, so a wrap
// during a search changes nothing.
//
// A search time that is negative when read as a signed number (a negative setting stored unsigned) makes
// the search unbounded: it waits without a time limit and ends with the first datagram that carries
// bytes, or with a cancel.
class SearchDeadline
{
public:
    // The wait that never times out (the same value as WSA_INFINITE and INFINITE).
    static constexpr std::uint32_t Unbounded = 0xFFFFFFFF;

    SearchDeadline(std::uint32_t startTick, std::uint32_t timeoutMs) noexcept;

    // How long to wait at tick `now`: 0 when the time is up, Unbounded for an unbounded search.
    std::uint32_t Remaining(std::uint32_t now) const noexcept;

    // Whether a datagram handled at tick `now` ends the search: it does once the time is up, and the first
    // one of an unbounded search always does.
    bool EndsWithDatagramAt(std::uint32_t now) const noexcept;

    bool IsUnbounded() const noexcept { return unbounded; }

    // The probe goes out in `rounds` rounds, spread evenly over the first half of the search time from its
    // start, so that the answers to the last round still arrive. How long from tick `now` until round
    // `round` (counted from 0) is due: 0 once it is, Unbounded for a round that never comes (past the
    // last one, or any but the first of an unbounded search).
    std::uint32_t UntilRound(int round, int rounds, std::uint32_t now) const noexcept;

    // The probes to the addresses of ranges go one by one, each address once in every round, and all of
    // them within the first half of the search time too; but no faster than this, so that a large range
    // neither floods a network nor loses replies in a burst. Round k of them begins at k/rounds of that
    // half (while the rounds fit in it) and its probes follow at this pace. How long from tick `now`
    // until probe `probe` is due (round probe / addresses, address probe % addresses): 0 once it is,
    // Unbounded past the last one (or past the first round of an unbounded search). Where the rounds do
    // not fit, they follow each other at this pace, and the last ones may come after the first half.
    // The pace stays under 2,000 a second by a margin: a wait that ends late sends what fell due
    // meanwhile at once, which a late wake-up of up to 50 ms keeps under 2,000 within any second.
    static constexpr std::uint32_t RangeProbesPerSecond = 1900;
    std::uint32_t UntilRangeProbe(std::size_t probe, std::size_t addresses, int rounds,
                                  std::uint32_t now) const noexcept;
    // The shortest search time in whose first half `rounds` rounds of probes to `addresses` addresses fit
    // at that pace.
    static std::uint64_t RangeSearchMs(std::size_t addresses, int rounds) noexcept;

private:
    std::uint32_t startTick;
    std::uint32_t timeoutMs;
    bool unbounded;
};

} // namespace OM::Norvatessa
