#include "tests/engine/SimulatedSiteTest.h"

#include <iostream>

namespace OM::Norvatessa::Testing
{

void SimulatedSiteTest::SetUp()
{
    ASSERT_TRUE(winsock.ok());
    const std::string error = simulator.Connect();
    ASSERT_EQ(error, "");
    ASSERT_EQ(simulator.Command("reset"), "ok");
    searcher.sink = &sink;
    searcher.sendPort = 2860;
    searcher.recvPort = 30303;
}

void SimulatedSiteTest::TearDown()
{
    if (HasFailure())
        std::cout << "The simulator's journal of this test:\n" << simulator.Journal() << Stats() << "\n";
    for (auto& [variable, segment] : segments)
    {
        if (HasFailure())
            std::cout << "The journal of " << variable << ":\n"
                      << segment.Journal() << segment.Command("stats") << "\n";
        segment.Command("reset");
    }
}

SimulatorClient& SimulatedSiteTest::Segment(const char* variable)
{
    const auto [place, added] = segments.try_emplace(variable);
    if (added)
    {
        const std::string error = place->second.Connect(variable);
        EXPECT_EQ(error, "");
        EXPECT_EQ(place->second.Command("reset"), "ok");
    }
    return place->second;
}

void SimulatedSiteTest::Add(const std::string& options)
{
    const std::string answer = simulator.Command("add " + options);
    ASSERT_EQ(answer.rfind("ok", 0), 0u) << answer;
}

DWORD SimulatedSiteTest::Search()
{
    const DWORD start = ::GetTickCount();
    searcher.Search();
    return ::GetTickCount() - start;
}

} // namespace OM::Norvatessa::Testing
