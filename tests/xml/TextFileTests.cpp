#include "xml/ConfigDocument.h"
#include "xml/Utf16File.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace OM::Xml;
namespace fs = std::filesystem;

namespace
{

// Natively std::filesystem turns wide strings into paths only for ASCII text, but UTF-32 text for any
// text; wchar_t holds UTF-32 there. The Windows build takes wide paths as they are.
fs::path toPath(const std::wstring& text)
{
    if constexpr (sizeof(wchar_t) == 2)
        return fs::path(text);
    else
        return fs::path(std::u32string(text.begin(), text.end()));
}

std::wstring toWide(const fs::path& path)
{
    if constexpr (sizeof(wchar_t) == 2)
    {
        return path.wstring();
    }
    else
    {
        const std::u32string text = path.u32string();
        return std::wstring(text.begin(), text.end());
    }
}

// Golden files made by another tool from the text the program must write; both builds compare their
// output with the same bytes.
std::wstring dataFile(const wchar_t* name)
{
    return std::wstring(NORVATESSA_XML_TEST_DATA) + L"/" + name;
}

std::string bytesOf(const std::wstring& path)
{
    std::ifstream file(toPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeBytes(const std::wstring& path, std::string_view bytes)
{
    std::ofstream file(toPath(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A folder of its own with a Cyrillic name, removed afterwards.
class TextFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 toPath(L"норватесса-xml-" + std::to_wstring(reinterpret_cast<uintptr_t>(this)));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::wstring path(const wchar_t* name) const { return toWide(folder / toPath(name)); }

    fs::path folder;
};

} // namespace

TEST_F(TextFiles, SavedFilesMatchTheGoldenBytes)
{
    ConfigDocument settings(L"config");
    settings.root.setAttribute(L"udpSendPort", L"2860");
    settings.root.setAttribute(L"udpRecvPort", L"30303");
    settings.root.setAttribute(L"searchTimeout", L"5000");
    settings.root.setAttribute(L"probeCount", L"5");
    settings.root.setAttribute(L"adapter", L"");
    settings.root.setAttribute(L"knownControllers", L"");
    settings.saveToFile(path(L"настройки.config"), false);
    EXPECT_EQ(bytesOf(path(L"настройки.config")), bytesOf(dataFile(L"settings.config")));

    ConfigDocument warehouse(L"config");
    warehouse.root.setAttribute(L"name", L"Склад №3");
    warehouse.root.setAttribute(L"note", L"\U0001F600 &amp; &lt;");
    warehouse.root.setParam(L"порт", L"2860");
    for (const wchar_t* ip : {L"192.168.0.10", L"192.168.0.11"})
    {
        ConfigNode net(L"net");
        net.setAttribute(L"ip", ip);
        warehouse.root.addChild(net);
    }
    warehouse.saveToFile(path(L"склад.exe"), true);
    EXPECT_EQ(bytesOf(path(L"склад.config")), bytesOf(dataFile(L"warehouse.config")));
    EXPECT_FALSE(fs::exists(toPath(path(L"склад.exe"))));
}

TEST_F(TextFiles, GoldenFileLoadsWithItsReferencesDecoded)
{
    ConfigDocument document(L"config");
    ASSERT_TRUE(document.loadFromFile(dataFile(L"warehouse.config"), false));
    EXPECT_EQ(*document.root.getAttribute(L"name"), L"Склад №3");
    EXPECT_EQ(*document.root.getAttribute(L"note"), L"\U0001F600 & <");
    EXPECT_EQ(document.root.params.at(L"порт"), L"2860");
    EXPECT_EQ(document.root.children.size(), 2u);
}

TEST_F(TextFiles, MissingFileIsCreatedFromTheRootAndTheLoadFails)
{
    ConfigDocument document(L"config");
    document.root.setAttribute(L"a", L"1");
    EXPECT_FALSE(document.loadFromFile(path(L"первый запуск.exe"), true));
    EXPECT_TRUE(document.isNew);
    EXPECT_EQ(*document.root.getAttribute(L"a"), L"1");
    EXPECT_EQ(document.root.attributes.size(), 1u);
    // Created under the name that was looked for, never under the name the caller gave.
    EXPECT_FALSE(fs::exists(toPath(path(L"первый запуск.exe"))));
    std::wstring text;
    ASSERT_EQ(readUtf16File(path(L"первый запуск.config"), text), TextFileStatus::Read);
    EXPECT_EQ(text, L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n<config a=\"1\" />");

    ConfigDocument again(L"config");
    EXPECT_TRUE(again.loadFromFile(path(L"первый запуск.exe"), true));
    EXPECT_EQ(*again.root.getAttribute(L"a"), L"1");
}

TEST_F(TextFiles, FilesThatAreNotUtf16LoadAsFailedAndStayAsTheyWere)
{
    const std::string golden = bytesOf(dataFile(L"settings.config"));
    const std::vector<std::pair<const wchar_t*, std::string>> broken = {
        {L"empty.config", ""},
        {L"no-mark.config", golden.substr(2)},
        {L"odd.config", golden + "x"},
        {L"big-endian.config", "\xFE\xFF" + golden.substr(2)},
        {L"utf8.config", "\xEF\xBB\xBF<?xml version=\"1.0\"?><config a=\"1\"/>"},
        {L"mark-only.config", "\xFF\xFE"},
    };
    for (const auto& [name, bytes] : broken)
    {
        SCOPED_TRACE(toPath(name).string());
        writeBytes(path(name), bytes);
        ConfigDocument document(L"config");
        EXPECT_FALSE(document.loadFromFile(path(name), false));
        EXPECT_TRUE(document.root.attributes.empty());
        EXPECT_EQ(bytesOf(path(name)), bytes);
    }
}

#ifndef _WIN32
// A disk that fills up half-way through a save: natively a file size limit makes the write fail after its
// first bytes, as a full disk would. The file keeps what it held, whole, and no temporary file is left.
TEST_F(TextFiles, ASaveThatFailsHalfWayLeavesTheFileAsItWas)
{
    ConfigDocument before(L"config");
    before.root.setAttribute(L"knownControllers", L"10.1.0.7:80");
    ASSERT_TRUE(before.saveToFile(path(L"настройки.config"), false));
    const std::string saved = bytesOf(path(L"настройки.config"));

    ConfigDocument after(L"config");
    after.root.setAttribute(L"knownControllers", std::wstring(2000, L'x'));
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{saved.size() + 16, limit.rlim_max};
    const auto signal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = after.saveToFile(path(L"настройки.config"), false);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, signal);

    EXPECT_FALSE(written);
    EXPECT_EQ(bytesOf(path(L"настройки.config")), saved);
    EXPECT_FALSE(fs::exists(toPath(path(L"настройки.config.part"))));
}
#endif

TEST_F(TextFiles, FolderInPlaceOfTheFileLoadsAsFailed)
{
    fs::create_directories(toPath(path(L"папка.config")));
    ConfigDocument document(L"config");
    EXPECT_FALSE(document.loadFromFile(path(L"папка.config"), false));
    std::wstring text;
    EXPECT_EQ(readUtf16File(path(L"папка.config"), text), TextFileStatus::Unreadable);
    EXPECT_TRUE(fs::is_directory(toPath(path(L"папка.config"))));
}

TEST(Utf16Text, LineEndsAndSurrogatesSurviveAFileRoundTrip)
{
    const std::string bytes("\xFF\xFE"
                            "a\0\r\0\n\0b\0\r\0c\0\r\0\r\0\n\0"
                            "\x3D\xD8\x00\xDE" // U+1F600 as a pair
                            "\x00\xD8z\0"      // a lone lead surrogate
                            "\x1E\x04",        // О
                            30);
    const std::optional<std::wstring> text = decodeUtf16Text(bytes);
    ASSERT_TRUE(text);
    std::wstring expected = L"a\nb\rc\r\n";
    expected +=
        sizeof(wchar_t) == 2 ? std::wstring(L"\xD83D\xDE00") : std::wstring(1, static_cast<wchar_t>(0x1F600));
    expected += static_cast<wchar_t>(0xD800);
    expected += L"z\x041E";
    EXPECT_EQ(*text, expected);
    EXPECT_EQ(encodeUtf16Text(*text), bytes);
}

TEST(Utf8Text, CharactersBeyondTheFirstPlaneAreOneFourByteSequenceInBothBuilds)
{
    EXPECT_EQ(utf8Text(L"a\u0416\U0001F600"), "a\xD0\x96\xF0\x9F\x98\x80");
    const std::wstring halves{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    EXPECT_EQ(utf8Text(halves), "\xF0\x9F\x98\x80");
    // A lone surrogate, first or last, keeps its own three bytes.
    const std::wstring lone{static_cast<wchar_t>(0xDE00), L'x', static_cast<wchar_t>(0xD83D)};
    EXPECT_EQ(utf8Text(lone), "\xED\xB8\x80x\xED\xA0\xBD");
}
