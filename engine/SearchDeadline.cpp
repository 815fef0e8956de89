#include "engine/SearchDeadline.h"

#include <algorithm>

namespace OM::Norvatessa
{

SearchDeadline::SearchDeadline(std::uint32_t startTick, std::uint32_t timeoutMs) noexcept
    : startTick(startTick), timeoutMs(timeoutMs), unbounded(timeoutMs > 0x7FFFFFFFu)
{
}

std::uint32_t SearchDeadline::Remaining(std::uint32_t now) const noexcept
{
    if (unbounded)
        return Unbounded;
    const std::uint32_t elapsed = now - startTick; // modulo 2^32: right across a wrap
    return elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
}

std::uint32_t SearchDeadline::UntilRound(int round, int rounds, std::uint32_t now) const noexcept
{
    if (round < 0 || round >= rounds || (unbounded && round > 0))
        return Unbounded;
    const std::uint32_t offset =
        round == 0 ? 0 : static_cast<std::uint32_t>(std::uint64_t{timeoutMs / 2} * round / (rounds - 1));
    const std::uint32_t elapsed = now - startTick;
    return elapsed >= offset ? 0 : offset - elapsed;
}

std::uint32_t SearchDeadline::UntilRangeProbe(std::size_t probe, std::size_t addresses, int rounds,
                                              std::uint32_t now) const noexcept
{
    const std::uint64_t round = addresses == 0 ? 0 : probe / addresses;
    if (addresses == 0 || rounds < 1 || round >= static_cast<std::uint64_t>(rounds) ||
        (unbounded && round > 0))
        return Unbounded;
    const std::uint64_t inRound = probe % addresses;
    const auto paced = [](std::uint64_t count) { return count * 1000 / RangeProbesPerSecond; };
    // Rounds that fit begin at their own moment; rounds that do not follow on at the pace.
    const std::uint64_t roundStart = round * (timeoutMs / 2) / static_cast<std::uint64_t>(rounds);
    const std::uint64_t due = std::max(roundStart + paced(inRound), paced(probe));
    const std::uint64_t elapsed = static_cast<std::uint32_t>(now - startTick);
    return elapsed >= due ? 0
                          : static_cast<std::uint32_t>(std::min<std::uint64_t>(due - elapsed, Unbounded - 1));
}

std::uint64_t SearchDeadline::RangeSearchMs(std::size_t addresses, int rounds) noexcept
{
    const std::uint64_t probes =
        std::uint64_t{addresses} * static_cast<std::uint64_t>(rounds < 1 ? 1 : rounds);
    // Twice the time they take at the pace, rounded up.
    return (probes * 2000 + RangeProbesPerSecond - 1) / RangeProbesPerSecond;
}

bool SearchDeadline::EndsWithDatagramAt(std::uint32_t now) const noexcept
{
    return unbounded || Remaining(now) == 0;
}

} // namespace OM::Norvatessa
