#include "xml/DecimalText.h"
#include "xml/DeviceProperties.h"

#include <gtest/gtest.h>

#include <random>

using namespace OM::Xml;

namespace
{

DeviceProperties lab()
{
    DeviceProperties props;
    props.name = L"Lab";
    props.ip = 0xC0A8000A; // 192.168.0.10
    props.tcpPort = 80;
    props.mask = 0xFFFFFF00;    // 255.255.255.0
    props.gateway = 0xC0A80001; // 192.168.0.1
    props.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    props.sensorType = {1, 0, 1, 0, 0, 0, 0, 0};
    props.sensorInverted = {0, 1, 0, 0, 0, 0, 0, 0};
    props.adminName = L"admin";
    props.adminPassword = L"Пароль1";
    props.userName = L"оператор";
    props.userPassword = L"";
    props.askPassword = true;
    props.buzzer = false;
    return props;
}

constexpr wchar_t labDocument[] =
    L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n"
    L"<om>\n"
    L"\t<net admin=\"admin:Пароль1\" flag=\"2\" gate=\"192.168.0.1\" ip=\"192.168.0.10\" "
    L"mac=\"00-1A-2B-3C-4D-5E\" "
    L"mask=\"255.255.255.0\" name=\"Lab\" seninv=\"2\" sentype=\"5\" tcp_port=\"80\" user=\"оператор:\" />\n"
    L"</om>";

// A controller's answer whose "net" element carries exactly the given attributes.
std::wstring answer(const std::wstring& attributes)
{
    return L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n<config>\n\t<net " + attributes +
           L" />\n</config>";
}

DeviceProperties read(const std::wstring& attributes, DeviceProperties props = {})
{
    EXPECT_TRUE(readDeviceProperties(answer(attributes), props));
    return props;
}

} // namespace

TEST(DeviceProperties, WritesEveryAttributeInSortedOrder)
{
    EXPECT_EQ(writeDeviceProperties(lab()), labDocument);
}

// A listing for a file says so on its root, as scripts and the restore of it read it.
TEST(DeviceProperties, ListingWithoutPasswordsBlanksThemAndSaysSo)
{
    const std::wstring listing = writeDeviceListing(lab(), false, true);
    EXPECT_EQ(
        listing.rfind(L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<om passwordsOmitted=\"yes\">\n", 0), 0u)
        << listing;
    EXPECT_NE(listing.find(L" admin=\"admin:\" "), std::wstring::npos);
    EXPECT_EQ(writeDeviceListing(lab(), true, false), std::wstring(labDocument) + L"\n");
}

TEST(DeviceProperties, ReadingTheWrittenDocumentGivesTheRecordAndItsMarks)
{
    DeviceProperties props;
    ASSERT_TRUE(readDeviceProperties(labDocument, props));
    EXPECT_EQ(props.changed, 0xF71u);
    props.changed = 0;
    EXPECT_EQ(props, lab());
}

TEST(DeviceProperties, ReadsAddressesByTheDottedQuadRule)
{
    DeviceProperties props = read(L"ip=\"1.2.3\" mask=\"1.2.3.4.5\" gate=\"1.300.0.7\"");
    EXPECT_EQ(props.ip, 0u);
    EXPECT_EQ(props.mask, 0u);
    EXPECT_EQ(props.gateway, 0x012C0007u); // 300 spills into the byte above it
    EXPECT_EQ(props.changed, PropMask | PropGateway | PropFlags);

    props = read(L"ip=\"10..0.1\" tcp_port=\"70000\"");
    EXPECT_EQ(props.ip, 0x0A000001u);
    EXPECT_EQ(props.tcpPort, 4464); // 70000 cut to 16 bits
}

TEST(DeviceProperties, ReadsTheMacOnlyWhenAllSixPartsAreThere)
{
    DeviceProperties before;
    before.mac = {1, 2, 3, 4, 5, 6};
    DeviceProperties props = read(L"mac=\"00-1A-2B-3C-4D\"", before);
    EXPECT_EQ(props.mac, before.mac);
    EXPECT_FALSE(props.changed & PropMac);

    props = read(L"mac=\"0a-1B-zz-3C-4D-5E\"", before);
    EXPECT_EQ(props.mac, (std::array<uint8_t, 6>{0x0A, 0x1B, 3, 4, 5, 6}));
    EXPECT_FALSE(props.changed & PropMac);

    props = read(L"mac=\" f-1AB-+c-00-ff-FF\"", before);
    EXPECT_EQ(props.mac, (std::array<uint8_t, 6>{0x0F, 0x1A, 0x0C, 0x00, 0xFF, 0xFF}));
    EXPECT_TRUE(props.changed & PropMac);
}

TEST(DeviceProperties, ReadsCredentialsOnlyFromExactlyTwoParts)
{
    DeviceProperties before;
    before.adminName = L"old";
    before.adminPassword = L"secret";
    DeviceProperties props = read(L"admin=\"loginonly\" user=\"a:b:c\"", before);
    EXPECT_EQ(props.adminName, L"old");
    EXPECT_EQ(props.adminPassword, L"secret");
    EXPECT_EQ(props.changed & (PropAdmin | PropUser), 0u);

    props = read(L"admin=\"новый:\" user=\":pw\"", before);
    EXPECT_EQ(props.adminName, L"новый");
    EXPECT_EQ(props.adminPassword, L"");
    EXPECT_EQ(props.userName, L"");
    EXPECT_EQ(props.userPassword, L"pw");
    EXPECT_EQ(props.changed & (PropAdmin | PropUser), PropAdmin | PropUser);
}

TEST(DeviceProperties, FlagsAreReadFromTheLowByteAndAMissingFlagTurnsBothOff)
{
    DeviceProperties before;
    before.askPassword = true;
    before.buzzer = true;
    DeviceProperties props = read(L"name=\"x\"", before);
    EXPECT_FALSE(props.askPassword);
    EXPECT_FALSE(props.buzzer);
    EXPECT_EQ(props.changed, PropName | PropFlags);

    props = read(L"flag=\"1\"");
    EXPECT_TRUE(props.buzzer);
    EXPECT_FALSE(props.askPassword);
    props = read(L"flag=\"258\""); // 8 bits: 2
    EXPECT_TRUE(props.askPassword);
    EXPECT_FALSE(props.buzzer);
    props = read(L"flag=\"-1\"");
    EXPECT_TRUE(props.askPassword && props.buzzer);
}

TEST(DeviceProperties, EmptyOrMissingAttributesLeaveTheirFieldsAlone)
{
    DeviceProperties before = lab();
    DeviceProperties props = read(L"name=\"\" mac=\"\" sentype=\"\" admin=\"\"", before);
    EXPECT_EQ(props.changed, static_cast<uint32_t>(PropFlags));
    EXPECT_EQ(props.name, L""); // reset by every read
    EXPECT_EQ(props.ip, 0u);
    EXPECT_EQ(props.mac, before.mac);
    EXPECT_EQ(props.sensorType, before.sensorType);
    EXPECT_EQ(props.adminName, before.adminName);

    props = read(L"sentype=\"-1\" seninv=\"abc\"");
    EXPECT_EQ(props.sensorType, (std::array<uint8_t, 8>{1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(props.sensorInverted, (std::array<uint8_t, 8>{}));
    EXPECT_EQ(props.changed, PropSensors | PropFlags);
}

TEST(DeviceProperties, ReadFailsWithoutARootOrWithoutNet)
{
    DeviceProperties props = lab();
    EXPECT_FALSE(readDeviceProperties(L"<?xml version=\"1.0\"?>", props));
    EXPECT_EQ(props, lab()); // untouched

    EXPECT_FALSE(readDeviceProperties(L"<?xml?><om><network ip=\"1.2.3.4\"/></om>", props));
    EXPECT_EQ(props.name, L"");
    EXPECT_EQ(props.ip, 0u);
    EXPECT_EQ(props.changed, 0u);
    EXPECT_EQ(props.mac, lab().mac); // not part of the reset

    // Only the first "net" counts, whatever the root is called.
    ASSERT_TRUE(
        readDeviceProperties(L"<?xml?><reply><net name=\"first\"/><net name=\"second\"/></reply>", props));
    EXPECT_EQ(props.name, L"first");
}

TEST(DeviceProperties, NameWithADoubleQuoteIsSentUnchanged)
{
    DeviceProperties props = lab();
    props.name = L"Склад \"Север\"";
    const std::wstring document = writeDeviceProperties(props);
    EXPECT_NE(document.find(L" name=\"Склад \"Север\"\" "), std::wstring::npos);
    EXPECT_FALSE(canCarryText(PropertyText::Name, props.name));
}

TEST(DecimalText, ReadsLikeTheRuntimeConversionWithoutOverflowCheck)
{
    EXPECT_EQ(decimalValue(L"  42abc"), 42);
    EXPECT_EQ(decimalValue(L"\t-17"), -17);
    EXPECT_EQ(decimalValue(L"+8"), 8);
    EXPECT_EQ(decimalValue(L"abc"), 0);
    EXPECT_EQ(decimalValue(L""), 0);
    EXPECT_EQ(decimalValue(L"- 5"), 0);
    EXPECT_EQ(decimalValue(L"4294967297"), 1);
    EXPECT_EQ(decimalValue(L"2147483648"), INT32_MIN);
}

TEST(CanCarryText, RefusesWhatTheDocumentWouldChange)
{
    EXPECT_TRUE(canCarryText(PropertyText::Name, L"Склад №3: ворота >east> 'west'; #34"));
    EXPECT_TRUE(canCarryText(PropertyText::Name, L""));
    // The document is sent as typed: "<" and a bare "&" leave it not well-formed, and the controller reads
    // any reference, a numeric one too, as the character it stands for.
    for (const wchar_t* text : {L"a<b", L"a & b", L"p&amp p", L"&#34;", L"&#x22;", L"&"})
    {
        EXPECT_FALSE(canCarryText(PropertyText::Name, text)) << text;
        EXPECT_FALSE(canCarryText(PropertyText::Password, text)) << text;
    }
    EXPECT_FALSE(canCarryText(PropertyText::Name, L"a\"b"));
    EXPECT_FALSE(canCarryText(PropertyText::Name, L"C:\\dir"));
    EXPECT_FALSE(canCarryText(PropertyText::Name, L"1 &lt; 2"));
    EXPECT_FALSE(canCarryText(PropertyText::Name, std::wstring(L"a\0b", 3)));
    EXPECT_FALSE(canCarryText(PropertyText::Login, L"user:1"));
    EXPECT_FALSE(canCarryText(PropertyText::Password, L"pass:word"));
    EXPECT_TRUE(canCarryText(PropertyText::Name, L"10:00"));
}

namespace
{

std::wstring randomText(std::mt19937& random, const std::wstring& alphabet, size_t maxLength)
{
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::wstring text;
    for (size_t count = length(random); count > 0; --count)
        text += alphabet[pick(random)];
    return text;
}

DeviceProperties randomRecord(std::mt19937& random, const std::wstring& alphabet)
{
    std::uniform_int_distribution<uint32_t> word;
    std::uniform_int_distribution<int> bit(0, 1);
    DeviceProperties props;
    props.name = randomText(random, alphabet, 16);
    props.ip = word(random);
    props.tcpPort = static_cast<uint16_t>(word(random));
    props.mask = word(random);
    props.gateway = word(random);
    for (uint8_t& byte : props.mac)
        byte = static_cast<uint8_t>(word(random));
    for (uint8_t& input : props.sensorType)
        input = static_cast<uint8_t>(bit(random));
    for (uint8_t& input : props.sensorInverted)
        input = static_cast<uint8_t>(bit(random));
    props.adminName = randomText(random, alphabet, 10);
    props.adminPassword = randomText(random, alphabet, 10);
    props.userName = randomText(random, alphabet, 10);
    props.userPassword = randomText(random, alphabet, 10);
    props.askPassword = bit(random) == 1;
    props.buzzer = bit(random) == 1;
    return props;
}

bool roundTrips(const DeviceProperties& props)
{
    DeviceProperties back;
    if (!readDeviceProperties(writeDeviceProperties(props), back))
        return false;
    back.changed = props.changed;
    return back == props;
}

} // namespace

constexpr int generatedRecords = 20000;

// Every record whose texts the document can carry comes back unchanged.
TEST(DeviceProperties, EveryCarriableRecordSurvivesWritingAndReading)
{
    std::mt19937 random(4044);
    const std::wstring alphabet = L"abcXYZ019 .,;-_!?#%*()[]{}>=/|'Складвор№ёЁ\t";
    for (int count = 0; count < generatedRecords; ++count)
    {
        const DeviceProperties props = randomRecord(random, alphabet);
        ASSERT_TRUE(canCarryTexts(props)) << count;
        DeviceProperties back;
        ASSERT_TRUE(readDeviceProperties(writeDeviceProperties(props), back)) << count;
        EXPECT_EQ(back.changed, PropMask | PropGateway | PropSensors | PropAdmin | PropUser | PropMac |
                                    PropFlags | (props.name.empty() ? 0u : PropName));
        back.changed = props.changed;
        ASSERT_EQ(back, props) << count;
    }
}

// canCarryText is exact: it refuses precisely the texts that would not come back unchanged, and those
// with "<" or "&", which our own reader takes back but a controller's may not.
TEST(CanCarryText, AgreesWithTheDocumentOnHostileTexts)
{
    std::mt19937 random(1251);
    const std::wstring hostile = L"a:\"\\&;ltgampquos<>Я \t";
    const auto markup = [](const DeviceProperties& props) {
        for (const std::wstring* text :
             {&props.name, &props.adminName, &props.adminPassword, &props.userName, &props.userPassword})
        {
            if (text->find_first_of(L"<&") != std::wstring::npos)
                return true;
        }
        return false;
    };
    int refused = 0;
    for (int count = 0; count < generatedRecords; ++count)
    {
        const DeviceProperties props = randomRecord(random, hostile);
        ASSERT_EQ(canCarryTexts(props), roundTrips(props) && !markup(props)) << count;
        refused += canCarryTexts(props) ? 0 : 1;
    }
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, generatedRecords);
}
