#include "engine/SearchDeadline.h"

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

bool SearchDeadline::EndsWithDatagramAt(std::uint32_t now) const noexcept
{
    return unbounded || Remaining(now) == 0;
}

} // namespace OM::Norvatessa
