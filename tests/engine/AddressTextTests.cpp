#include "common/AddressText.h"

#include <gtest/gtest.h>

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
