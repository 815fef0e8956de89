// A controller named in Cyrillic, on a workstation whose ANSI code page is Windows-1251: the name arrives
// unchanged. ctest runs this program with a Russian locale, which gives Wine that code page.
#include "tests/engine/SimulatedSiteTest.h"

using namespace OM::Norvatessa::Testing;

class CyrillicNameTest : public SimulatedSiteTest
{
};

TEST_F(CyrillicNameTest, NameInWindows1251ArrivesUnchanged)
{
    ASSERT_EQ(::GetACP(), 1251u) << "run with LC_ALL=ru_RU.UTF-8, as ctest does";
    Add("name=Пульт%20охраны%20№{n}");
    Add("name-hex=cfeef0f2e0eb");
    searcher.timeoutMs = 1000;
    Search();

    ASSERT_EQ(searcher.Found().size(), 2u);
    EXPECT_EQ(searcher.Found()[0].name, L"Пульт охраны №1");
    EXPECT_EQ(searcher.Found()[1].name, L"Портал");
    ASSERT_EQ(sink.replies.size(), 2u);
    EXPECT_EQ(sink.replies[0].name, L"Пульт охраны №1");
}
