#include "common/AddressRange.h"
#include "common/AddressText.h"

#include <gtest/gtest.h>

#include <variant>

using namespace OM::Norvatessa;

TEST(AddressText, AddressesAndEndpointsReadAsPeopleWriteThem)
{
    EXPECT_EQ(ParseAddress(L"192.168.0.10"), 0xC0A8000Au);
    EXPECT_EQ(AddressText(0xC0A8000A), L"192.168.0.10");
    for (const wchar_t* bad :
         {L"", L"192.168.0", L"192.168.0.256", L"192.168.0.10 ", L"1.2.3.4.5", L"1..2.3"})
        EXPECT_FALSE(ParseAddress(bad)) << bad;

    EXPECT_EQ(ParseEndpoint(L"10.1.0.7"), (ControllerEndpoint{0x0A010007, 80}));
    EXPECT_EQ(ParseEndpoint(L"10.1.0.7", 8080), (ControllerEndpoint{0x0A010007, 8080}));
    EXPECT_EQ(ParseEndpoint(L"10.1.0.7:65535"), (ControllerEndpoint{0x0A010007, 65535}));
    EXPECT_EQ(EndpointText(ControllerEndpoint{0x0A010007, 81}), L"10.1.0.7:81");
    for (const wchar_t* bad : {L"10.1.0.7:", L"10.1.0.7:0", L"10.1.0.7:65536", L"10.1.0.7:99999999999",
                               L"10.1.0.7:8o", L"10.1.0:80", L":80"})
        EXPECT_FALSE(ParseEndpoint(bad)) << bad;
}

TEST(AddressText, RangesReadAsASubnetOrTwoEndsAndAreRefusedForWhatIsWrong)
{
    const auto parsed = [](const wchar_t* text) { return std::get<AddressRange>(ParseAddressRange(text)); };
    const auto refused = [](const wchar_t* text) { return std::get<RangeRefusal>(ParseAddressRange(text)); };

    // A subnet leaves out its own address and its broadcast address, whichever of its addresses names it.
    EXPECT_EQ(parsed(L"10.1.0.0/24"), (AddressRange{0x0A010001, 0x0A0100FE, 24}));
    EXPECT_EQ(parsed(L"10.1.0.17/24"), (AddressRange{0x0A010001, 0x0A0100FE, 24}));
    EXPECT_EQ(RangeText(parsed(L"10.1.0.17/24")), L"10.1.0.0/24");
    EXPECT_EQ(parsed(L"10.1.0.9/32").Count(), 1u);
    EXPECT_EQ(parsed(L"10.1.0.8/31"), (AddressRange{0x0A010008, 0x0A010009, 31}));
    EXPECT_EQ(parsed(L"10.1.0.0/20").Count(), 4094u);
    EXPECT_EQ(parsed(L"10.1.0.5-10.1.0.40"), (AddressRange{0x0A010005, 0x0A010028, -1}));
    EXPECT_EQ(RangeText(parsed(L"10.1.0.5-10.1.0.40")), L"10.1.0.5-10.1.0.40");
    EXPECT_EQ(parsed(L"10.1.0.0-10.1.15.255").Count(), 4096u);
    EXPECT_TRUE(LooksLikeRange(L"10.1.0.0/24"));
    EXPECT_FALSE(LooksLikeRange(L"10.1.0.7:80"));

    EXPECT_EQ(refused(L"10.1.0.0-10.1.16.0").problem, RangeProblem::TooLarge);
    EXPECT_EQ(refused(L"10.1.0.0-10.1.16.0").count, 4097u);
    EXPECT_EQ(refused(L"10.0.0.0/19").count, 8190u);
    EXPECT_EQ(refused(L"0.0.0.0/0").problem, RangeProblem::TooLarge);
    EXPECT_EQ(refused(L"10.1.0.40-10.1.0.5").problem, RangeProblem::Reversed);
    for (const wchar_t* bad : {L"10.1.0.0/33", L"10.1.0.0/", L"10.1.0/24", L"10.1.0.0/2x", L"10.1.0.0/24:80",
                               L"10.1.0.5-", L"-10.1.0.5", L"10.1.0.5-10.1.0.9:80", L"0.0.0.0-0.0.0.9",
                               L"255.255.255.250-255.255.255.255", L"0.0.0.0/32"})
        EXPECT_EQ(refused(bad).problem, RangeProblem::Malformed) << bad;
}

TEST(AddressText, RangesAreProbedOnceEachLeavingOutTheAddressesGivenAlone)
{
    const std::vector<AddressRange> ranges = {{0x0A010005, 0x0A010008, -1}, {0x0A010007, 0x0A01000A, -1}};
    std::vector<std::size_t> ends;
    EXPECT_EQ(RangeAddresses(ranges, {0x0A010006}, &ends),
              (std::vector<std::uint32_t>{0x0A010005, 0x0A010007, 0x0A010008, 0x0A010009, 0x0A01000A}));
    EXPECT_EQ(ends, (std::vector<std::size_t>{3, 5}));
}
