#include "engine/SearchDeadline.h"
#include "engine/SearchGoal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using OM::Norvatessa::SearchDeadline;
using OM::Norvatessa::SearchGoal;
using OM::Norvatessa::SearchGoalProgress;

TEST(SearchDeadline, CountsDownAndEndsAtTheSearchTime)
{
    const SearchDeadline deadline(1000, 5000);
    EXPECT_EQ(deadline.Remaining(1000), 5000u);
    EXPECT_EQ(deadline.Remaining(4999), 1001u);
    EXPECT_FALSE(deadline.EndsWithDatagramAt(5999));
    EXPECT_EQ(deadline.Remaining(6000), 0u);
    EXPECT_TRUE(deadline.EndsWithDatagramAt(6000));
    EXPECT_EQ(deadline.Remaining(90000), 0u);
}

TEST(SearchDeadline, TickCounterWrapDuringTheSearchChangesNothing)
{
    const SearchDeadline deadline(0xFFFFF000u, 5000); // 4096 ms before the wrap
    EXPECT_EQ(deadline.Remaining(0xFFFFFFFFu), 5000u - 0xFFFu);
    EXPECT_EQ(deadline.Remaining(0), 5000u - 0x1000u);
    EXPECT_FALSE(deadline.EndsWithDatagramAt(903));
    EXPECT_EQ(deadline.Remaining(904), 0u);
    EXPECT_TRUE(deadline.EndsWithDatagramAt(904));
}

TEST(SearchDeadline, ZeroEndsAtOnce)
{
    const SearchDeadline deadline(77, 0);
    EXPECT_EQ(deadline.Remaining(77), 0u);
    EXPECT_TRUE(deadline.EndsWithDatagramAt(77));
}

TEST(SearchDeadline, NegativeTimeWaitsWithoutLimitUntilTheFirstDatagram)
{
    for (const std::uint32_t negative : {0xFFFFFFFFu, static_cast<std::uint32_t>(-5000), 0x80000000u})
    {
        const SearchDeadline deadline(0xFFFFFF00u, negative); // across a wrap as well
        EXPECT_TRUE(deadline.IsUnbounded());
        EXPECT_EQ(deadline.Remaining(0xFFFFFF00u), SearchDeadline::Unbounded);
        EXPECT_EQ(deadline.Remaining(0x10000000u), SearchDeadline::Unbounded);
        EXPECT_TRUE(deadline.EndsWithDatagramAt(0xFFFFFF01u));
    }
    EXPECT_FALSE(SearchDeadline(0, 0x7FFFFFFFu).IsUnbounded());
}

TEST(SearchDeadline, ProbeRoundsSpreadOverTheFirstHalfOfTheSearchTime)
{
    const SearchDeadline deadline(1000, 5000);
    // Five rounds: at 0, 625, 1250, 1875 and 2500 ms.
    EXPECT_EQ(deadline.UntilRound(0, 5, 1000), 0u);
    EXPECT_EQ(deadline.UntilRound(1, 5, 1000), 625u);
    EXPECT_EQ(deadline.UntilRound(1, 5, 1625), 0u);
    EXPECT_EQ(deadline.UntilRound(4, 5, 3000), 500u);
    EXPECT_EQ(deadline.UntilRound(4, 5, 9000), 0u);
    EXPECT_EQ(deadline.UntilRound(5, 5, 1000), SearchDeadline::Unbounded);
    // One round is the single probe at the start.
    EXPECT_EQ(deadline.UntilRound(0, 1, 1000), 0u);
    EXPECT_EQ(deadline.UntilRound(1, 1, 1000), SearchDeadline::Unbounded);
    // An unbounded search has nothing to spread its rounds over.
    const SearchDeadline unbounded(1000, 0xFFFFFFFFu);
    EXPECT_EQ(unbounded.UntilRound(0, 5, 1000), 0u);
    EXPECT_EQ(unbounded.UntilRound(1, 5, 1000), SearchDeadline::Unbounded);
}

namespace
{

// The due times of every range probe of a search, in milliseconds from its start.
std::vector<std::uint32_t> RangeProbeTimes(std::uint32_t timeoutMs, std::size_t addresses, int rounds)
{
    const SearchDeadline deadline(0, timeoutMs);
    std::vector<std::uint32_t> times;
    for (std::size_t probe = 0;; ++probe)
    {
        const std::uint32_t until = deadline.UntilRangeProbe(probe, addresses, rounds, 0);
        if (until == SearchDeadline::Unbounded)
            return times;
        times.push_back(until);
    }
}

// No window of one second holds more than the pace allows.
std::size_t BusiestSecond(const std::vector<std::uint32_t>& times)
{
    std::size_t busiest = 0;
    for (std::size_t first = 0, last = 0; last < times.size(); ++last)
    {
        while (times[last] - times[first] >= 1000)
            ++first;
        busiest = std::max(busiest, last - first + 1);
    }
    return busiest;
}

} // namespace

TEST(SearchDeadline, RangeProbesKeepThePaceAndTheRoundsWithinTheFirstHalf)
{
    // A /20 in five rounds needs 21.5 s: its 20,470 probes at 1,900 a second fill the first half.
    EXPECT_EQ(SearchDeadline::RangeSearchMs(4094, 5), 21548u);
    EXPECT_EQ(SearchDeadline::RangeSearchMs(254, 1), 268u);
    const std::vector<std::uint32_t> full = RangeProbeTimes(21548, 4094, 5);
    ASSERT_EQ(full.size(), 20470u);
    EXPECT_LE(full.back(), 21548u / 2);
    EXPECT_LE(BusiestSecond(full), SearchDeadline::RangeProbesPerSecond);
    EXPECT_TRUE(std::is_sorted(full.begin(), full.end()));

    // With time to spare each round begins at its own fifth of the first half, its probes at the pace.
    const std::vector<std::uint32_t> spare = RangeProbeTimes(5000, 254, 5);
    ASSERT_EQ(spare.size(), 1270u);
    EXPECT_EQ(spare[0], 0u);
    EXPECT_EQ(spare[253], 133u);
    EXPECT_EQ(spare[254], 500u);
    EXPECT_EQ(spare[4 * 254], 2000u);
    EXPECT_LE(spare.back(), 2500u);
    EXPECT_LE(BusiestSecond(spare), SearchDeadline::RangeProbesPerSecond);

    // Too little time (the window program's settings are not refused): the pace still holds.
    const std::vector<std::uint32_t> short_ = RangeProbeTimes(1000, 4094, 5);
    ASSERT_EQ(short_.size(), 20470u);
    EXPECT_LE(BusiestSecond(short_), SearchDeadline::RangeProbesPerSecond);

    // Later in a search: the wait until the next probe, and none past the last.
    const SearchDeadline deadline(1000, 5000);
    EXPECT_EQ(deadline.UntilRangeProbe(254, 254, 5, 1100), 400u);
    EXPECT_EQ(deadline.UntilRangeProbe(254, 254, 5, 1600), 0u);
    EXPECT_EQ(deadline.UntilRangeProbe(1270, 254, 5, 1000), SearchDeadline::Unbounded);
    EXPECT_EQ(deadline.UntilRangeProbe(0, 0, 5, 1000), SearchDeadline::Unbounded);
    // An unbounded search probes each address once.
    EXPECT_EQ(RangeProbeTimes(0xFFFFFFFFu, 100, 5).size(), 100u);
}

TEST(SearchGoal, IsReachedOnceTheNamedControllersOrTheCountHaveAnswered)
{
    SearchGoalProgress named(SearchGoal{{7, 9}, 0});
    EXPECT_FALSE(named.Heard(7));
    EXPECT_FALSE(named.Heard(8));
    EXPECT_FALSE(named.Heard(7));
    EXPECT_TRUE(named.Heard(9));
    EXPECT_TRUE(named.Reached());
    EXPECT_FALSE(named.Heard(9)) << "reached once per search";

    // A count counts controllers, not replies.
    SearchGoalProgress counted(SearchGoal{{}, 2});
    EXPECT_FALSE(counted.Heard(5));
    EXPECT_FALSE(counted.Heard(5));
    EXPECT_TRUE(counted.Heard(6));

    // Both: the named one and enough besides.
    SearchGoalProgress both(SearchGoal{{5}, 2});
    EXPECT_FALSE(both.Heard(4));
    EXPECT_TRUE(both.Heard(5));

    // No goal: the search listens its whole time.
    SearchGoalProgress none(SearchGoal{});
    for (std::uint32_t address = 1; address < 100; ++address)
        EXPECT_FALSE(none.Heard(address));
    EXPECT_FALSE(none.Reached());
}
