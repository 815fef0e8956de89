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

bool SearchDeadline::EndsWithDatagramAt(std::uint32_t now) const noexcept
{
    return unbounded || Remaining(now) == 0;
}

} // namespace OM::Norvatessa
