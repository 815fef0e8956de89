#include "engine/AddressPlan.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace OM::Norvatessa;

namespace
{

constexpr std::uint32_t Net = 0x0A000100; // 10.0.1.0

std::vector<std::uint32_t> Targets(const AddressPlan& plan)
{
    std::vector<std::uint32_t> targets;
    for (const GivenAddress& given : plan.given)
        targets.push_back(given.to);
    return targets;
}

std::vector<std::uint32_t> Skipped(const AddressPlan& plan, AddressSkip why)
{
    std::vector<std::uint32_t> skipped;
    for (const SkippedAddress& skip : plan.skipped)
    {
        if (skip.why == why)
            skipped.push_back(skip.address);
    }
    return skipped;
}

} // namespace

TEST(AddressPlan, GivesConsecutiveAddressesInListOrderAndSkipsWhatIsHeld)
{
    AddressRequest request{
        {Net + 200, Net + 100, Net + 150, Net + 120}, Net + 254, 0xFFFFFF00u, std::nullopt};
    AddressSurroundings around;
    around.listed = {Net + 254, Net + 100};
    AddressPlan plan = PlanAddresses(request, around);
    // 10.0.1.254 is in the list, 10.0.1.255 and 10.0.2.0 are edges of their /24s.
    EXPECT_EQ(Targets(plan),
              (std::vector<std::uint32_t>{Net + 0x101, Net + 0x102, Net + 0x103, Net + 0x104}));
    EXPECT_EQ(Skipped(plan, AddressSkip::InList), (std::vector<std::uint32_t>{Net + 254}));
    EXPECT_EQ(Skipped(plan, AddressSkip::SubnetEdge), (std::vector<std::uint32_t>{Net + 255, Net + 256}));
    EXPECT_EQ(plan.given.front().from, Net + 200);
    EXPECT_EQ(plan.given.back().from, Net + 120);
    // Nothing was probed yet: every address given must be, and the plan after the probes takes what answered.
    EXPECT_EQ(plan.unprobed, Targets(plan));
    around.probed.insert(plan.unprobed.begin(), plan.unprobed.end());
    around.answered = {{Net + 0x102, AddressSkip::AnswersEcho}, {Net + 0x103, AddressSkip::AnswersProbe}};
    plan = PlanAddresses(request, around);
    EXPECT_EQ(Targets(plan),
              (std::vector<std::uint32_t>{Net + 0x101, Net + 0x104, Net + 0x105, Net + 0x106}));
    EXPECT_EQ(plan.unprobed, (std::vector<std::uint32_t>{Net + 0x105, Net + 0x106}));
    EXPECT_EQ(Skipped(plan, AddressSkip::AnswersEcho), (std::vector<std::uint32_t>{Net + 0x102}));
    EXPECT_EQ(Skipped(plan, AddressSkip::AnswersProbe), (std::vector<std::uint32_t>{Net + 0x103}));
    EXPECT_TRUE(plan.Complete(request.controllers.size()));
    EXPECT_EQ(SkippedText(plan.skipped),
              L"Пропущены: 10.0.1.254 (есть в списке), 10.0.1.255 (адрес сети или "
              L"широковещательный), 10.0.2.0 (адрес сети или широковещательный), 10.0.2.2 "
              L"(ответил на ping), 10.0.2.3 (ответил контроллер).");

    // The gateway given for all is nobody's address; without a mask no address is an edge.
    request = AddressRequest{{Net + 9, Net + 8}, Net + 1, std::nullopt, Net + 2};
    plan = PlanAddresses(request, {});
    EXPECT_EQ(Targets(plan), (std::vector<std::uint32_t>{Net + 1, Net + 3}));
    EXPECT_EQ(Skipped(plan, AddressSkip::Gateway), (std::vector<std::uint32_t>{Net + 2}));
}

TEST(AddressPlan, EndsWhereNoAddressIsLeftAndWarnsOutsideTheAdapterSubnet)
{
    // 255.255.255.255 would cut a controller off.
    AddressPlan plan = PlanAddresses({{1, 2, 3}, 0xFFFFFFFDu, std::nullopt, std::nullopt}, {});
    EXPECT_EQ(Targets(plan), (std::vector<std::uint32_t>{0xFFFFFFFDu, 0xFFFFFFFEu}));
    EXPECT_FALSE(plan.Complete(3));
    // A network where everything answers ends the walk too.
    AddressSurroundings full;
    for (std::uint32_t address = Net; address < Net + MostAddressesWalked + 10; ++address)
        full.listed.insert(address);
    plan = PlanAddresses({{1}, Net, std::nullopt, std::nullopt}, full);
    EXPECT_TRUE(plan.given.empty());
    EXPECT_EQ(plan.skipped.size(), MostAddressesWalked);
    EXPECT_TRUE(SkippedText(plan.skipped).ends_with(L"10.0.1.7 (есть в списке) и ещё 4088."));

    // Found through 10.0.1.0/24: a new address in 10.0.2.0 is outside; one behind a router warns of nothing.
    AddressSurroundings around;
    around.adapters = {NetworkAdapter{0xC0A80005, 0xFFFFFF00u, L"Wi-Fi"},
                       NetworkAdapter{Net + 1, 0xFFFFFF00u, L"Ethernet"}};
    plan = PlanAddresses({{Net + 50, 0xAC100005, Net + 51}, Net + 0xFE, std::nullopt, std::nullopt}, around);
    ASSERT_EQ(plan.given.size(), 3u);
    EXPECT_FALSE(plan.given[0].outsideOf);
    EXPECT_FALSE(plan.given[1].outsideOf);
    ASSERT_TRUE(plan.given[2].outsideOf);
    EXPECT_EQ(
        OutsideText(*plan.given[2].outsideOf),
        L"вне подсети адаптера «Ethernet» (10.0.1.0/24), через который контроллер найден: компьютер может не "
        L"достать его");
    EXPECT_EQ(AdapterHolding(0xC0A800FE, around.adapters)->name, L"Wi-Fi");
}
