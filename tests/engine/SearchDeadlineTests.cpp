#include "engine/SearchDeadline.h"

#include <gtest/gtest.h>

using OM::Norvatessa::SearchDeadline;

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
