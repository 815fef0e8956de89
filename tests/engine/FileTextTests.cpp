// The text of the files users give the programs, and the lists the programs write for them.
#include "common/CodePage.h"
#include "engine/CsvText.h"
#include "engine/FileText.h"
#include "xml/Utf16File.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace OM::Norvatessa;

namespace
{

const std::string Cp1251Name =
    "\xD1\xEA\xEB\xE0\xE4 \xB9\x37"; // "Склад №7" as a Russian workstation saves it
const std::string Utf8Name = "\xD0\xA1\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xB4 \xE2\x84\x96\x37";

std::string BigEndian(const std::string& littleEndian)
{
    std::string swapped = littleEndian;
    for (std::size_t at = 0; at + 1 < swapped.size(); at += 2)
        std::swap(swapped[at], swapped[at + 1]);
    return swapped;
}

} // namespace

TEST(CodePage, Windows1251TableTakesEveryByteBackAndRefusesWhatItLacks)
{
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte)
        bytes += static_cast<char>(byte);
    const std::wstring text = Windows1251().Decode(bytes);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(Windows1251().Encode(text), bytes);
    EXPECT_EQ(Windows1251().Decode(Cp1251Name), L"Склад №7");
    EXPECT_EQ(text.substr(0xA8, 1), L"Ё");
    EXPECT_FALSE(Windows1251().Fits(L"Straße"));
    EXPECT_FALSE(Windows1251().Fits(L"倉庫"));
}

TEST(FileText, ByteOrderMarkDecidesAndUnmarkedTextIsUtf8OnlyWhenItIsValid)
{
    const std::string utf16 = OM::Xml::encodeUtf16Text(L"Склад №7\n𝄞");
    EXPECT_EQ(DecodeTextFile(utf16, Windows1251()), L"Склад №7\r\n𝄞");
    EXPECT_EQ(DecodeTextFile("\xFE\xFF" + BigEndian(utf16.substr(2)), Windows1251()), L"Склад №7\r\n𝄞");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF" + Utf8Name, Windows1251()), L"Склад №7");
    EXPECT_EQ(DecodeTextFile(Utf8Name, Windows1251()), L"Склад №7");
    EXPECT_EQ(DecodeTextFile(Cp1251Name, Windows1251()), L"Склад №7");

    // Overlong forms and encoded surrogates are no UTF-8: the file is in the code page.
    for (const std::string& notUtf8 : {std::string("\xC0\xAF"), std::string("\xED\xA0\x80"),
                                       std::string("\xF4\x90\x80\x80"), std::string("\xD0")})
    {
        bool valid = true;
        EXPECT_EQ(DecodeText(notUtf8, TextEncoding::Utf8, &valid).find(L'\xFFFD'), 0u);
        EXPECT_FALSE(valid);
    }
    EXPECT_EQ(TextLines(L"a\r\nb\n\nc"), (std::vector<std::wstring>{L"a", L"b", L"", L"c"}));
}

TEST(CsvText, RowsQuoteWhatHoldsTheSeparatorInUseAndReadBackWhole)
{
    const std::vector<std::wstring> fields = {L"127.0.0.2", L"Склад;1", L"Ворота, север", L"\"Главный\"",
                                              L"две\nстроки"};
    const std::wstring semicolons = CsvRow(fields, L';');
    EXPECT_EQ(semicolons, L"127.0.0.2;\"Склад;1\";Ворота, север;\"\"\"Главный\"\"\";\"две\nстроки\"\n");
    EXPECT_EQ(CsvRow(fields, L','),
              L"127.0.0.2,Склад;1,\"Ворота, север\",\"\"\"Главный\"\"\",\"две\nстроки\"\n");

    const std::vector<CsvRecord> records = ReadCsvRecords(L"address;name\r\n" + semicolons + L"\r\n", L';');
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].fields, fields);
    EXPECT_EQ(records[1].line, 2u);
    EXPECT_EQ(records[2].line, 4u) << "the line break inside quotes counts";

    EXPECT_EQ(FindListSeparator(L"\r\n  \naddress\tport\n"), L'\t');
    EXPECT_EQ(FindListSeparator(L"10.1.0.5;80\n10.1.0.6,80\n"), L';');
    EXPECT_EQ(FindListSeparator(L"10.1.0.5\n10.1.0.6;80\n"), L',');
    EXPECT_EQ(ListSeparatorOf(L";"), L';');
    EXPECT_EQ(ListSeparatorOf(L"|"), L',');
    EXPECT_EQ(ListSeparatorOf(L""), L',');
}
