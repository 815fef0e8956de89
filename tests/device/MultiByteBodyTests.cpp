// A body sent from a workstation whose ANSI code page takes two bytes for some characters. ctest runs this
// program with a Japanese locale, which gives Wine the code page 932.
#include "device/ExchangeLabels.h"
#include "device/HttpExchange.h"
#include "tests/engine/ControllerSite.h"

#include <gtest/gtest.h>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;

namespace
{

class Quiet final : public ConnectionSink
{
};

class MultiByteBodyTest : public ControllerSiteTest
{
};

} // namespace

TEST_F(MultiByteBodyTest, LengthLineCountsBytesAndTheWholeBodyIsSent)
{
    ASSERT_EQ(::GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8, as ctest does";
    const std::uint32_t address = Add("");
    Quiet sink;
    AcceptedCredentials accepted;
    HttpExchange exchange(sink, nullptr, accepted);
    Connection connection(address, 80);
    ASSERT_TRUE(exchange.OpenConnection(connection));
    connection.authorized = true;
    const std::wstring body = L"<om>\n\t<net name=\"東京倉庫\" />\n</om>\n";
    HttpRequest write(PropertiesObject, WritePropertiesLabel, body);
    ASSERT_TRUE(write.BodyFits());
    ASSERT_TRUE(exchange.ExecuteRequest(connection, write));

    const std::vector<HttpRecord> posts = Requests("POST");
    ASSERT_EQ(posts.size(), 1u);
    const std::size_t bytes = body.size() + 4; // four characters of two bytes each
    EXPECT_TRUE(posts[0].HasHeader("Content-Length: " + std::to_string(bytes)));
    EXPECT_EQ(posts[0].body.size(), bytes);
    EXPECT_EQ(posts[0].body.substr(posts[0].body.size() - 7), "\n</om>\n");

    // A character that code page lacks is never sent.
    HttpRequest foreign(PropertiesObject, WritePropertiesLabel, L"<om><net name=\"Склад\u00E4\" /></om>");
    EXPECT_FALSE(foreign.BodyFits());
    EXPECT_FALSE(exchange.ExecuteRequest(connection, foreign));
    EXPECT_EQ(Requests("POST").size(), 1u);
}
