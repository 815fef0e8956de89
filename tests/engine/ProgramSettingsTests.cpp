// The settings file beside this very executable, as the program keeps it beside its own, and the per-user
// copy in a %LOCALAPPDATA% of the test's own. CTest runs these tests twice: from the build folder, and from
// a copy in a folder whose path is longer than 260 characters.
#include "engine/ProgramSettings.h"

#include "helpers/UniqueHandle.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

using namespace OM::Norvatessa;

namespace
{

std::wstring ExecutablePathOfThisTest()
{
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::string BytesOf(const std::wstring& path)
{
    OM::Helpers::UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    std::string bytes(static_cast<size_t>(::GetFileSize(file.get(), nullptr)), '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    OM::Helpers::UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// A settings file as an editor would save it: UTF-16 with its mark and CR LF.
std::string SettingsFileWith(const std::wstring& root)
{
    const std::wstring text = L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\r\n" + root;
    std::string bytes = "\xFF\xFE";
    for (const wchar_t character : text)
    {
        bytes += static_cast<char>(character & 0xFF);
        bytes += static_cast<char>(character >> 8);
    }
    return bytes;
}

class SettingsFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = SettingsFilePath();
        ASSERT_FALSE(path.empty());
        ::DeleteFileW(path.c_str());
        Settings() = ProgramSettings();
        userFolder = path + L".пользователь";
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", userFolder.c_str());
        perUser = PerUserSettingsPath();
        ASSERT_EQ(perUser, userFolder + L"\\Norvatessa\\norvatessa.config");
    }
    void TearDown() override
    {
        ::DeleteFileW(path.c_str());
        ::DeleteFileW(perUser.c_str());
        ::RemoveDirectoryW((userFolder + L"\\Norvatessa").c_str());
        ::RemoveDirectoryW(userFolder.c_str());
    }

    void ExpectSettings(int32_t sendPort, int32_t recvPort, int32_t timeout)
    {
        EXPECT_EQ(Settings().udpSendPort, sendPort);
        EXPECT_EQ(Settings().udpRecvPort, recvPort);
        EXPECT_EQ(Settings().searchTimeout, timeout);
    }

    std::wstring path;
    std::wstring userFolder;
    std::wstring perUser;
};

} // namespace

TEST_F(SettingsFile, LivesBesideTheExecutableWithTheConfigExtension)
{
    std::wstring expected = ExecutablePathOfThisTest();
    ASSERT_EQ(expected.substr(expected.size() - 4), L".exe");
    expected.replace(expected.size() - 4, 4, L".config");
    EXPECT_EQ(path, expected);
}

TEST_F(SettingsFile, IsFoundWholeWhenTheExecutablesPathIsLong)
{
    if (ExecutablePathOfThisTest().size() <= MAX_PATH)
        GTEST_SKIP() << "runs from the copy in a deep folder";
    EXPECT_GT(path.size(), static_cast<size_t>(MAX_PATH));
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(BytesOf(path), SettingsFileWith(L"<config/>"));
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(BytesOf(path),
              SettingsFileWith(
                  L"<config adapter=\"\" knownControllers=\"\" probeCount=\"5\" searchTimeout=\"5000\" "
                  L"udpRecvPort=\"30303\" udpSendPort=\"2860\" />"));
}

TEST_F(SettingsFile, FirstRunCreatesAnEmptyRootAndExitWritesTheDefaults)
{
    ASSERT_TRUE(LoadSettings());
    ExpectSettings(2860, 30303, 5000);
    EXPECT_EQ(BytesOf(path), SettingsFileWith(L"<config/>"));

    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(BytesOf(path), BytesOf(NORVATESSA_GOLDEN_SETTINGS));
}

TEST_F(SettingsFile, ValuesOfTheFileAreReadAndWrittenBack)
{
    const std::wstring root =
        L"<config adapter=\"192.168.0.5\" knownControllers=\"10.1.0.7:80 10.1.0.8:8080 10.2.0.0/24 "
        L"10.3.0.5-10.3.0.9\" parallelExchanges=\"8\" probeCount=\"3\" searchTimeout=\"12000\" "
        L"udpRecvPort=\"40000\" "
        L"udpSendPort=\"70000\" />";
    WriteBytes(path, SettingsFileWith(root));
    ASSERT_TRUE(LoadSettings());
    ExpectSettings(70000, 40000, 12000);
    EXPECT_EQ(Settings().probeCount, 3);
    EXPECT_EQ(Settings().parallelExchanges, 8);
    EXPECT_EQ(Settings().adapter, L"192.168.0.5");
    EXPECT_EQ(Settings().knownControllers,
              (std::vector<ControllerEndpoint>{{0x0A010007, 80}, {0x0A010008, 8080}}));
    EXPECT_EQ(Settings().knownRanges,
              (std::vector<AddressRange>{{0x0A020001, 0x0A0200FE, 24}, {0x0A030005, 0x0A030009, -1}}));
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(BytesOf(path), SettingsFileWith(root));

    // An entry that is no address is skipped and kept aside for the log; one given twice counts once.
    WriteBytes(path, SettingsFileWith(L"<config knownControllers=\" 10.1.0.7:80  router 10.1.0.7 10.1.0.9:0 "
                                      L"10.4.0.0/16 10.5.0.9-10.5.0.1 10.2.0.7/24 10.2.0.0/24\" />"));
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(Settings().knownControllers, (std::vector<ControllerEndpoint>{{0x0A010007, 80}}));
    EXPECT_EQ(Settings().knownRanges, (std::vector<AddressRange>{{0x0A020001, 0x0A0200FE, 24}}));
    EXPECT_EQ(Settings().skippedKnownControllers,
              (std::vector<std::wstring>{L"router", L"10.1.0.9:0", L"10.4.0.0/16", L"10.5.0.9-10.5.0.1"}));
}

TEST_F(SettingsFile, OddValuesAreTakenAsTheyConvert)
{
    WriteBytes(path,
               SettingsFileWith(L"<config searchTimeout=\"-1\" udpRecvPort=\" +7x\" udpSendPort=\"abc\" />"));
    ASSERT_TRUE(LoadSettings());
    ExpectSettings(0, 7, -1);
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(BytesOf(path), SettingsFileWith(L"<config adapter=\"\" knownControllers=\"\" probeCount=\"5\" "
                                              L"searchTimeout=\"-1\" udpRecvPort=\"7\" "
                                              L"udpSendPort=\"0\" />"));

    // Exchanges at once outside 1-64 would stall a site or exhaust the system's threads: the default.
    for (const std::wstring odd : {L"0", L"65", L"-16"})
    {
        Settings().parallelExchanges = 8;
        WriteBytes(path, SettingsFileWith(L"<config parallelExchanges=\"" + odd + L"\" />"));
        ASSERT_TRUE(LoadSettings());
        EXPECT_EQ(Settings().parallelExchanges, DefaultParallelExchanges) << odd;
    }
}

// A first run that ended abnormally leaves the empty root behind: the next start must keep the defaults,
// not turn every value into 0 and write that back for good. A value given as 0 stays 0.
TEST_F(SettingsFile, MissingOrEmptyValuesKeepTheirDefaults)
{
    WriteBytes(path, SettingsFileWith(L"<config/>"));
    ASSERT_TRUE(LoadSettings());
    ExpectSettings(2860, 30303, 5000);
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(BytesOf(path), BytesOf(NORVATESSA_GOLDEN_SETTINGS));

    Settings() = ProgramSettings();
    WriteBytes(path, SettingsFileWith(L"<config searchTimeout=\"0\" udpSendPort=\"\" />"));
    ASSERT_TRUE(LoadSettings());
    ExpectSettings(2860, 30303, 0);
}

// An editor may save the file as UTF-8: the user's edit must survive, not be replaced by defaults at exit.
TEST_F(SettingsFile, UnreadableFileKeepsTheDefaultsAndIsLeftAsItIs)
{
    const std::string utf8 = "\xEF\xBB\xBF<?xml version=\"1.0\"?><config searchTimeout=\"1\"/>";
    WriteBytes(path, utf8);
    ASSERT_TRUE(LoadSettings());
    ExpectSettings(2860, 30303, 5000);
    EXPECT_EQ(BytesOf(path), utf8);
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(BytesOf(path), utf8);

    // Once it can be read again, exits write it as before.
    WriteBytes(path, SettingsFileWith(L"<config searchTimeout=\"1\" />"));
    ASSERT_TRUE(LoadSettings());
    ExpectSettings(2860, 30303, 1);
    Settings().udpSendPort = 2861;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(BytesOf(path), SettingsFileWith(L"<config adapter=\"\" knownControllers=\"\" probeCount=\"5\" "
                                              L"searchTimeout=\"1\" udpRecvPort=\"30303\" "
                                              L"udpSendPort=\"2861\" />"));
}

// Two copies of the program ran at once, each with what it read at its start, and the other one closed
// first: each keeps what it added, and what either forgot stays forgotten. The per-user copy, left by an
// earlier run whose folder could not be written, is applied over the file beside the program.
TEST_F(SettingsFile, EachCopyOfTheProgramSavesOnlyWhatItChanged)
{
    WriteBytes(path,
               SettingsFileWith(L"<config knownControllers=\"10.1.0.1:80 10.1.0.2:80 10.1.0.6:80 10.6.0.0/24 "
                                L"10.8.0.0/24\" />"));
    ASSERT_TRUE(::CreateDirectoryW(userFolder.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((userFolder + L"\\Norvatessa").c_str(), nullptr));
    WriteBytes(perUser, SettingsFileWith(L"<config forgottenControllers=\"10.1.0.6:80 10.6.0.0/24\" "
                                         L"knownControllers=\"10.1.0.5:80\" searchTimeout=\"900\" />"));
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(Settings().knownControllers,
              (std::vector<ControllerEndpoint>{{0x0A010001, 80}, {0x0A010002, 80}, {0x0A010005, 80}}));
    EXPECT_EQ(Settings().searchTimeout, 900);
    EXPECT_EQ(Settings().knownRanges, (std::vector<AddressRange>{{0x0A080001, 0x0A0800FE, 24}}));

    // The other copy forgot 10.1.0.1 and added 10.1.0.3; this one adds 10.1.0.4 and forgets 10.1.0.5, and
    // it adds a range and forgets another. A range the user wrote into the file meanwhile stays.
    WriteBytes(path, SettingsFileWith(L"<config knownControllers=\"10.1.0.2:80 10.9.0.0/24 10.1.0.6:80 "
                                      L"10.1.0.3:80 10.8.0.0/24\" />"));
    Settings().knownControllers = {{0x0A010001, 80}, {0x0A010002, 80}, {0x0A010004, 80}};
    Settings().knownRanges = {{0x0A070001, 0x0A070009, -1}};
    const SettingsSave save = SaveSettings();
    EXPECT_EQ(save.store, SettingsStore::Beside);
    // The user's own value stays the user's: the file beside the program keeps its default.
    EXPECT_EQ(BytesOf(path),
              SettingsFileWith(L"<config adapter=\"\" knownControllers=\"10.1.0.2:80 10.1.0.6:80 "
                               L"10.1.0.3:80 10.1.0.4:80 10.9.0.0/24 10.7.0.1-10.7.0.9\" probeCount=\"5\" "
                               L"searchTimeout=\"5000\" "
                               L"udpRecvPort=\"30303\" udpSendPort=\"2860\" />"));

    Settings() = ProgramSettings();
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(Settings().knownControllers,
              (std::vector<ControllerEndpoint>{{0x0A010002, 80}, {0x0A010003, 80}, {0x0A010004, 80}}));
    EXPECT_EQ(Settings().knownRanges,
              (std::vector<AddressRange>{{0x0A090001, 0x0A0900FE, 24}, {0x0A070001, 0x0A070009, -1}}));
}
