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
