#include "engine/DiscoveryReply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace OM::Norvatessa;

namespace
{

// "norvatessa", the digits "1.2.3", five bytes nobody reads, port 80, then `name` as given.
std::vector<unsigned char> Reply(const std::string& name = "", unsigned char portHigh = 0,
                                 unsigned char portLow = 80)
{
    const std::string header = "norvatessa1.2.3\x7f\x7f\x7f\x7f\x7f";
    std::vector<unsigned char> datagram(header.begin(), header.end());
    datagram.push_back(portHigh);
    datagram.push_back(portLow);
    datagram.insert(datagram.end(), name.begin(), name.end());
    return datagram;
}

std::optional<DiscoveryReply> Parse(const std::vector<unsigned char>& datagram)
{
    return ParseDiscoveryReply(datagram.data(), datagram.size());
}

} // namespace

TEST(DiscoveryReply, HeaderAloneIsAReplyWithAnEmptyNameAndOneByteLessIsNone)
{
    std::vector<unsigned char> datagram = Reply();
    ASSERT_EQ(datagram.size(), 22u);
    const std::optional<DiscoveryReply> reply = Parse(datagram);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->name, "");
    EXPECT_EQ(reply->port, 80);

    datagram.pop_back();
    EXPECT_FALSE(Parse(datagram));
    EXPECT_FALSE(ParseDiscoveryReply(nullptr, 0));
}

TEST(DiscoveryReply, PortIsUnsignedWithTheHighByteFirst)
{
    EXPECT_EQ(Parse(Reply("", 0x1F, 0x90))->port, 8080);
    EXPECT_EQ(Parse(Reply("", 0xFF, 0xFE))->port, 65534);
}

TEST(DiscoveryReply, EveryPrefixByteCountsIncludingTheTenth)
{
    for (std::size_t i = 0; i < 10; ++i)
    {
        std::vector<unsigned char> datagram = Reply("Hall");
        datagram[i] ^= 0x20; // the same letter in the other case
        EXPECT_FALSE(Parse(datagram)) << "byte " << i;
    }
}

TEST(DiscoveryReply, DigitsAreReadAtTheirOffsetsAndAnyOtherByteCountsAsZero)
{
    std::vector<unsigned char> datagram = Reply();
    datagram[10] = '9';
    datagram[11] = '7'; // not a digit position
    datagram[12] = 'x';
    datagram[14] = 0xB9;
    const std::optional<DiscoveryReply> reply = Parse(datagram);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->first, 9);
    EXPECT_EQ(reply->second, 0);
    EXPECT_EQ(reply->third, 0);
}

TEST(DiscoveryReply, NameEndsAtTheFirstZeroOrTheEndAndKeepsItsBytes)
{
    // "Пульт" in Windows-1251, then a zero and bytes that must not show.
    const std::string cyrillic = "\xCF\xF3\xEB\xFC\xF2";
    EXPECT_EQ(Parse(Reply(cyrillic + std::string(1, '\0') + "junk"))->name, cyrillic);
    EXPECT_EQ(Parse(Reply(cyrillic))->name, cyrillic);
    EXPECT_EQ(Parse(Reply(std::string(1, '\0') + "junk"))->name, "");
}
