// Russian names read from and written to a controller on a workstation whose ANSI code page is
// Windows-1251, the encoding of the controllers' documents. ctest runs this program with a Russian locale.
#include "engine/DeviceManager.h"
#include "engine/ProgramSettings.h"
#include "tests/engine/ControllerSite.h"
#include "tests/engine/RecordingObserver.h"

#include <gmock/gmock.h>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;

class CyrillicPropertiesTest : public ControllerSiteTest
{
protected:
    void TearDown() override
    {
        manager.Stop();
        ControllerSiteTest::TearDown();
    }

    DeviceManager manager;
    RecordingObserver observer{manager};
};

TEST_F(CyrillicPropertiesTest, NameAndLoginsTravelBothWaysUnchanged)
{
    ASSERT_EQ(::GetACP(), 1251u) << "run with LC_ALL=ru_RU.UTF-8, as ctest does";
    const std::uint32_t controller = Add("name=Пульт%20охраны%20№{n} admin=Сторож:ключ");
    Settings().searchTimeout = 500;
    ASSERT_TRUE(manager.Start());
    ASSERT_TRUE(observer.WaitFor("finished", 2));
    manager.Post(GetDevicePropertiesRequest{controller, &observer, 1});
    ASSERT_TRUE(observer.WaitFor("properties 127.0.0.2 tag 1"));
    OM::Xml::DeviceProperties properties = observer.Results().back().properties;
    EXPECT_EQ(properties.name, L"Пульт охраны №1");
    EXPECT_EQ(properties.adminName, L"Сторож");
    EXPECT_EQ(properties.adminPassword, L"ключ");

    properties.name = L"Склад Ёлка";
    properties.changed = OM::Xml::PropName;
    manager.Post(SetDevicePropertiesRequest{controller, properties});
    ASSERT_TRUE(observer.WaitFor("properties 127.0.0.2 tag 0"));
    EXPECT_EQ(Show(controller)["name"], "Склад Ёлка");
    EXPECT_EQ(observer.Results().back().properties.name, L"Склад Ёлка");
    // One byte per letter in Windows-1251, and the length line says so.
    const std::vector<HttpRecord> posts = Requests("POST");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].bodyLength, posts[0].body.size());
    EXPECT_NE(posts[0].body.find("name=\"\xD1\xEA\xEB\xE0\xE4 \xA8\xEB\xEA\xE0\""), std::string::npos);
}
