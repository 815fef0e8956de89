// A workstation on two segments, each behind an adapter of its own, and a network behind a router that
// no broadcast reaches (tools/testenv/topology): the window program's engine and the console program
// must find every controller of both segments in one search, and reach the routed one by its address.
#include "common/AddressText.h"
#include "engine/DeviceManager.h"
#include "engine/ProgramSettings.h"
#include "helpers/WinsockHandles.h"
#include "tests/cli/CliSiteTest.h"
#include "tests/engine/RecordingObserver.h"
#include "tests/engine/SimulatorClient.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <iostream>
#include <set>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::HasSubstr;

namespace
{

constexpr std::uint32_t SegmentA = 0xC6120110; // 198.18.1.16, the first controller of segment a
constexpr std::uint32_t SegmentB = 0xC6120210;
constexpr std::uint32_t Routed = 0xC6120410; // behind the router

class SiteTopologyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (auto& [simulator, variable] :
             {std::pair{&loopback, LoopbackSimulator}, std::pair{&a, SegmentASimulator},
              std::pair{&b, SegmentBSimulator}, std::pair{&c, RoutedSimulator}})
        {
            ASSERT_EQ(simulator->Connect(variable), "") << variable;
            ASSERT_EQ(simulator->Command("reset"), "ok") << variable;
        }
        ASSERT_THAT(a.Command("add count=20 name=A%20{n}"), HasSubstr("ok 20"));
        ASSERT_THAT(b.Command("add count=20 name=B%20{n}"), HasSubstr("ok 20"));
        ASSERT_THAT(c.Command("add count=2 name=Routed%20{n}"), HasSubstr("ok 2"));
        Settings() = ProgramSettings();
        Settings().searchTimeout = 1500;
    }

    OM::Helpers::WinsockSession winsock;
    SimulatorClient loopback, a, b, c;
};

std::set<std::uint32_t> Addresses(const std::vector<DiscoveredController>& table)
{
    std::set<std::uint32_t> addresses;
    for (const DiscoveredController& controller : table)
        addresses.insert(controller.address);
    return addresses;
}

} // namespace

TEST_F(SiteTopologyTest, OneSearchFindsBothSegmentsAndTheRoutedControllerByItsAddress)
{
    Settings().knownControllers = {{Routed, 80}};
    DeviceManager manager;
    RecordingObserver observer(manager);
    ASSERT_TRUE(manager.Start());
    ASSERT_TRUE(observer.WaitFor("finished", 2));
    const auto tables = observer.Tables();
    ASSERT_EQ(tables.size(), 2u);
    const std::set<std::uint32_t> found = Addresses(tables[1]);
    EXPECT_EQ(found.size(), 41u);
    for (std::uint32_t offset = 0; offset < 20; ++offset)
    {
        EXPECT_TRUE(found.contains(SegmentA + offset)) << AddressText(SegmentA + offset);
        EXPECT_TRUE(found.contains(SegmentB + offset)) << AddressText(SegmentB + offset);
    }
    // The unicast probe crosses the router, and so does HTTP; its neighbour, not named, is not found.
    EXPECT_TRUE(found.contains(Routed));
    EXPECT_FALSE(found.contains(Routed + 1));
    EXPECT_THAT(c.Command("stats"), HasSubstr(" probes=5 "));

    manager.Post(AddControllerRequest{Routed + 1, 80, &observer, 7});
    ASSERT_TRUE(observer.WaitFor("properties " + OM::Xml::utf8Text(AddressText(Routed + 1)) + " tag 7"));
    EXPECT_EQ(observer.Results().back().properties.name, L"Routed 2");
    manager.Stop();
    Settings() = ProgramSettings();
}

TEST_F(SiteTopologyTest, ConsoleProgramFindsBothSegmentsAndReachesTheRoutedControllerDirectly)
{
    const CliResult listed =
        RunCli({L"discover", L"--time", L"1500", L"--format", L"csv", L"--add", L"198.18.4.16"});
    EXPECT_EQ(listed.exitCode, 0u) << listed;
    for (const char* row :
         {"198.18.1.16,80,A 1,no,yes", "198.18.1.35,80,A 20,no,yes", "198.18.2.16,80,B 1,no,yes",
          "198.18.2.35,80,B 20,no,yes", "198.18.4.16,80,Routed 1,no,yes"})
        EXPECT_THAT(listed.out, HasSubstr(row)) << listed;

    const CliResult read = RunCli({L"get", L"198.18.4.17:80"});
    EXPECT_EQ(read.exitCode, 0u) << read;
    EXPECT_THAT(read.out, HasSubstr("Routed 2")) << read;
    // The five rounds of discover probe it; get goes straight there.
    EXPECT_THAT(c.Command("stats"), HasSubstr(" probes=5 "));
}

// A controller behind a router answers no search. Named with its port by discover's list, or by its
// backup file, it is reached at that port; the controllers the search hears are read where it heard them.
TEST_F(SiteTopologyTest, RoutedControllerIsReachedAtThePortItsListOrItsBackupGives)
{
    ASSERT_THAT(c.Command("set 198.18.4.16 port=8080"), HasSubstr("ok"));
    TemporaryFolder folder;
    const std::wstring list = folder.File(L"site.csv");
    WriteBytes(list, "address,port,name,conflict,answered\r\n198.18.4.16,8080,Routed 1,no,yes\r\n"
                     "198.18.1.16,80,A 1,no,yes\r\n");
    const std::wstring routedFile = folder.File(L"198.18.4.16.xml");
    folder.File(L"198.18.1.16.xml");

    const CliResult backup = RunCli({L"backup", L"--from", list, folder.Path(), L"--time", L"1500"});
    EXPECT_EQ(backup.exitCode, 0u) << backup;
    EXPECT_THAT(backup.out, HasSubstr("Готово: 2 из 2")) << backup;

    ASSERT_THAT(c.Command("set 198.18.4.16 name=Другое"), HasSubstr("ok"));
    const CliResult restore = RunCli({L"restore", routedFile, L"--time", L"1500"});
    EXPECT_EQ(restore.exitCode, 0u) << restore;
    EXPECT_THAT(c.Command("show 198.18.4.16"), HasSubstr(" name=Routed%201 ")) << restore;
}

// The routed subnet named as a range: each of its addresses is probed in every round, no faster than the
// pace, and the controllers that answer are listed and worked on like any other. Ten rounds in the shortest
// search time they fit in bring more probes than one second may hold.
TEST_F(SiteTopologyTest, RangeBehindTheRouterIsProbedAddressByAddressAndItsControllersTakePart)
{
    const CliResult listed = RunCli({L"discover", L"--time", L"2700", L"--probes", L"10", L"--format", L"csv",
                                     L"--add", L"198.18.4.0/24"});
    EXPECT_EQ(listed.exitCode, 0u) << listed;
    EXPECT_THAT(listed.out, HasSubstr("198.18.4.16,80,Routed 1,no,yes")) << listed;
    EXPECT_THAT(listed.out, HasSubstr("198.18.4.17,80,Routed 2,no,yes")) << listed;
    EXPECT_THAT(listed.out, HasSubstr("198.18.1.35,80,A 20,no,yes")) << listed;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 43) << "a header and 42 controllers";
    // Of the range, the network behind the router has .2 and .16 to .254: 240 addresses, ten rounds.
    EXPECT_THAT(c.Command("stats"), HasSubstr(" probes=2400 "));
    const std::string pace = c.Command("pace");
    std::cout << "probes to the routed subnet in its busiest second: " << pace << "\n";
    ASSERT_EQ(pace.rfind("ok busiest-second=", 0), 0u) << pace;
    EXPECT_LE(std::stoi(pace.substr(18)), 2000) << pace;

    const CliResult site = RunCli(
        {L"get", L"--all", L"--add", L"198.18.4.16-198.18.4.17", L"--time", L"1500", L"--format", L"csv"});
    EXPECT_EQ(site.exitCode, 0u) << site;
    EXPECT_THAT(site.out, HasSubstr("\r\n198.18.4.17,80,Routed 2,")) << site;
    EXPECT_THAT(site.err, HasSubstr("Готово: 42 из 42")) << site;
}
